// The floor of the start-up and memory figures: the widgets of the program's
// window, its four tabs and its buttons, at its size and showing its
// captions, font request and icons, built
// by hand as any Qt program would and shown the same way; with --hold, the
// patch is set as the text box's plain text. The captions are typed here, not
// taken from the program, so that the floor owes nothing to the code it measures.
#include "patchfile.h"
#include "probe.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

struct Tab {
    const char16_t *caption;
    std::initializer_list<const char16_t *> entries;
};

const Tab tabs[] = {
    {u"Убрать надписи, звуки и т.д.",
     {u"Убрать <Все сигналы вкл\\выкл> ", u"Убрать <Блокировка клавиатуры вкл.> ", u"Убрать <IrDA вкл\\выкл> ",
      u"Убрать <GPRS вкл\\выкл> ", u"Убрать из камеры <Подождите> и <Сохранить в> ",
      u"Убрать звук <Сеть найдена> ", u"Убрать звук в начале записи видео ", u"Убрать подсветку кнопок",
      u"Убрать софткнопки с экрана и опустить время дату вниз"}},
    {u"Ускорение", {u"Ускорить видеоискатель", u"Ускорить яву", u"Ускорить меню"}},
    {u"Разное",
     {u"Чтение смс при залоченой клаве", u"Открыть диски навсегда", u"Ч/Б Режим камеры",
      u"Плавное включение подсветки", u"Сжатие фото 100%", u"Дата в виде дня недели числа и месяца",
      u"Фото любой цифровой кнопкой", u"Подсветка с шагом 5%"}},
};

std::unique_ptr<QWidget> window()
{
    auto window = std::make_unique<QWidget>();
    window->setFixedSize(459, 611);
    window->setWindowTitle(QStringLiteral("Kelvarine by Dorrin Demo"));
    window->setWindowIcon(QIcon(QStringLiteral(":/icons/kelvarine.ico")));

    auto *tabWidget = new QTabWidget(window.get());
    tabWidget->setGeometry(0, 0, 457, 249);
    tabWidget->setUsesScrollButtons(false);
    tabWidget->setElideMode(Qt::ElideNone);
    for (const Tab &tab : tabs) {
        auto *page = new QWidget;
        auto *list = new QListWidget;
        for (const char16_t *entry : tab.entries)
            list->addItem(QString::fromUtf16(entry));
        auto *layout = new QVBoxLayout(page);
        layout->setContentsMargins(8, 8, 8, 8);
        layout->addWidget(list);
        tabWidget->addTab(page, QString::fromUtf16(tab.caption));
    }
    // The fourth tab: a folder's patches, a filter, a count.
    auto *folderPage = new QWidget;
    auto *folderLayout = new QVBoxLayout(folderPage);
    folderLayout->setContentsMargins(8, 6, 8, 4);
    auto *choose = new QPushButton(QStringLiteral("Папка с патчами…"));
    folderLayout->addWidget(choose);
    folderLayout->addWidget(new QLabel);
    auto *filter = new QLineEdit;
    filter->setPlaceholderText(QStringLiteral("Найти: название, имя файла или номер"));
    filter->setClearButtonEnabled(true);
    folderLayout->addWidget(filter);
    auto *folderList = new QListView;
    auto *model = new QStandardItemModel(folderList);
    auto *proxy = new QSortFilterProxyModel(folderList);
    proxy->setSourceModel(model);
    folderList->setModel(proxy);
    folderLayout->addWidget(folderList);
    folderLayout->addWidget(new QLabel(QStringLiteral("Выберите папку с патчами (например, CX70v50 из сборника) или перетащите её в окно.")));
    tabWidget->addTab(folderPage, QStringLiteral("Другие патчи"));
    tabWidget->setCurrentIndex(2);

    auto *edit = new QPlainTextEdit(window.get());
    edit->setGeometry(0, 256, 457, 305);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto *open = new QPushButton(window.get());
    open->setGeometry(280, 568, 81, 41);
    open->setToolTip(QStringLiteral("Открыть в V_klay"));
    open->setAccessibleName(QStringLiteral("Открыть в V_klay"));
    open->setIconSize(QSize(32, 32));
    open->setIcon(QIcon(QStringLiteral(":/icons/vklay.ico")));

    auto *clear = new QPushButton(QStringLiteral("С"), window.get());
    clear->setGeometry(368, 568, 81, 41);
    // The same request as the program's: the face, and a sans-serif one where it is missing.
    QFont font(QStringLiteral("MS Sans Serif"), 24, QFont::Bold);
    font.setStyleHint(QFont::SansSerif);
    clear->setFont(font);
    clear->setToolTip(QStringLiteral("Очистить поле патча"));

    auto *backup = new QPushButton(QStringLiteral("Сверить с копией прошивки…"), window.get());
    backup->setGeometry(0, 568, 272, 22);
    auto *backupName = new QLabel(QStringLiteral("Копия прошивки не выбрана"), window.get());
    backupName->setGeometry(2, 591, 246, 18);
    auto *noBackup = new QToolButton(window.get());
    noBackup->setGeometry(250, 590, 22, 20);
    noBackup->setText(QStringLiteral("✕"));
    noBackup->hide();
    return window;
}

} // namespace

int main(int argc, char **argv)
{
    return runProbe(argc, argv, window, [](QWidget &window, const QString &patchFile) {
        QFile file(patchFile);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        window.findChild<QPlainTextEdit *>()->setPlainText(documentText(file.readAll()));
        return true;
    });
}
