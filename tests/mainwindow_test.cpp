#include "countline.h"
#include "mainwindow.h"
#include "program.h"
#include "startup.h"

#include "assembly/assembly.h"
#include "support/child.h"
#include "support/printers.h"
#include "support/programfolder.h"
#include "support/reference.h"
#include "support/resources.h"
#include "support/script.h"
#include "support/wait.h"
#include "support/windowdriver.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProxyStyle>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTabWidget>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUrl>
#include <QTextDocument>
#include <QToolTip>
#include <QTest>
#include <QTimer>
#include <functional>
#include <map>
#include <vector>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The catalogue as the window must show it: each tab's caption and list, and
// each entry's caption, in display order, with the patch file it names.
struct Entry {
    QString caption;
    QString file;
};
struct Tab {
    QString caption;
    const char *list;
    std::vector<Entry> entries;
};
const Tab drawnCatalogue[] = {
    {u"Убрать надписи, звуки и т.д."_s, "lstDel", {
        {u"Убрать <Все сигналы вкл\\выкл> "_s, u"d0.h"_s},
        {u"Убрать <Блокировка клавиатуры вкл.> "_s, u"d1.h"_s},
        {u"Убрать <IrDA вкл\\выкл> "_s, u"d2.h"_s},
        {u"Убрать <GPRS вкл\\выкл> "_s, u"d3.h"_s},
        {u"Убрать из камеры <Подождите> и <Сохранить в> "_s, u"d4.h"_s},
        {u"Убрать звук <Сеть найдена> "_s, u"d5.h"_s},
        {u"Убрать звук в начале записи видео "_s, u"d6.h"_s},
        {u"Убрать подсветку кнопок"_s, u"d7.h"_s},
        {u"Убрать софткнопки с экрана и опустить время дату вниз"_s, u"d8.h"_s},
    }},
    {u"Ускорение"_s, "lstFast", {
        {u"Ускорить видеоискатель"_s, u"f0.h"_s},
        {u"Ускорить яву"_s, u"f1.h"_s},
        {u"Ускорить меню"_s, u"f2.h"_s},
    }},
    {u"Разное"_s, "lstOther", {
        {u"Чтение смс при залоченой клаве"_s, u"o0.h"_s},
        {u"Открыть диски навсегда"_s, u"o1.h"_s},
        {u"Ч/Б Режим камеры"_s, u"o2.h"_s},
        {u"Плавное включение подсветки"_s, u"o3.h"_s},
        {u"Сжатие фото 100%"_s, u"o4.h"_s},
        {u"Дата в виде дня недели числа и месяца"_s, u"o5.h"_s},
        {u"Фото любой цифровой кнопкой"_s, u"o6.h"_s},
        {u"Подсветка с шагом 5%"_s, u"o7.h"_s},
    }},
};

const QString warningText =
    u"Внимание! Вы используете эту программу на свой страх и риск. Автор не несёт НИКАКОЙ "
    u"ответственности за вред приченёный программой. Патчи взяты из сборника Morvash "
    u"http://morvash.example/"_s;

// How many lines a tooltip takes as Qt lays it out.
int tooltipLines(const QListWidgetItem *item)
{
    QWidget *list = item->listWidget()->viewport();
    QToolTip::showText(list->mapToGlobal(QPoint(5, 5)), item->data(Qt::ToolTipRole).toString(), list);
    int lines = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->inherits("QTipLabel") && widget->isVisible())
            lines = widget->height() / widget->fontMetrics().lineSpacing();
    }
    QToolTip::hideText();
    return lines;
}

} // namespace

TEST(Startup, WarnsBeforeTheWindowShowsHoweverTheWarningIsClosed)
{
    const std::function<void(QMessageBox *)> ways[] = {
        [](QMessageBox *box) { box->button(QMessageBox::Ok)->click(); },
        [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); },
        [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); },
        [](QMessageBox *box) { box->close(); },
    };
    for (const auto &close : ways) {
        MainWindow window;
        Shown shown;
        bool windowVisible = true;
        whenMessageBox([&](QMessageBox *box) {
            shown = {box->windowTitle(), box->text(), box->icon()};
            EXPECT_EQ(box->buttons().size(), 1);
            windowVisible = window.isVisible();
            close(box);
        });
        startUp(window);
        EXPECT_FALSE(windowVisible);
        EXPECT_EQ(shown.title, u"Kelvaro");
        EXPECT_EQ(shown.icon, QMessageBox::Warning);
        EXPECT_EQ(shown.text, warningText);
        EXPECT_TRUE(window.isVisible());

        auto *tabs = window.findChild<QTabWidget *>(u"SSTab1"_s);
        EXPECT_EQ(tabs->currentIndex(), 2);
        EXPECT_EQ(tabs->tabText(2), u"Разное");
        EXPECT_EQ(window.findChild<QListWidget *>(u"lstOther"_s)->count(), 8);
    }
}

// Drawn at its smallest size; grown or maximised, the lists and the text take
// the room, half each, and the buttons keep their size and place at the bottom.
TEST_F(Window, KeepsItsLayoutAtEverySizeAndItsFocusOrder)
{
    const QSize maximised(-1, -1);
    EXPECT_EQ(window.size(), QSize(459, 611));
    EXPECT_EQ(window.minimumSize(), QSize(459, 611));
    std::map<QByteArray, QSize> drawn; // the lists' sizes at the drawn size
    const struct {
        QSize asked, size;
    } sizes[] = {{{459, 611}, {459, 611}},   {{1259, 1011}, {1259, 1011}}, {{1260, 1012}, {1260, 1012}},
                 {maximised, {}}, {{300, 200}, {459, 611}}};
    for (const auto &s : sizes) {
        QSize size = s.size;
        if (s.asked == maximised) {
            window.showMaximized();
            const QRect screen = window.screen()->availableGeometry();
            WAIT_FOR(window.isMaximized() && window.frameGeometry() == screen);
            size = screen.size() - (window.frameGeometry().size() - window.geometry().size());
        } else {
            window.showNormal();
            window.resize(s.asked);
        }
        ASSERT_EQ(window.size(), size);
        const int w = size.width() - 459, h = size.height() - 611;
        const struct {
            const char *name;
            QRect geometry;
        } controls[] = {
            {"SSTab1", {0, 0, 457 + w, 249 + h / 2}},
            {"txtPath", {0, 256 + h / 2, 457 + w, 305 + h - h / 2}},
            {"vklay", {280 + w, 568 + h, 81, 41}},
            {"cmdClear", {368 + w, 568 + h, 81, 41}},
            {"cmdBackup", {0, 568 + h, 272, 22}},
            {"lblBackup", {2, 591 + h, 246, 18}},
            {"cmdNoBackup", {250, 590 + h, 22, 20}},
        };
        for (const auto &c : controls)
            EXPECT_EQ(child<QWidget>(c.name)->geometry(), c.geometry) << c.name << " at " << size.width() << "x" << size.height();
        // The lists of the tabs grow with them.
        const struct {
            int tab;
            const char *name;
        } lists[] = {{2, "lstOther"}, {3, "lstFolder"}};
        for (const auto &list : lists) {
            child<QTabWidget>("SSTab1")->setCurrentIndex(list.tab);
            const QSize grown = child<QWidget>(list.name)->size();
            if (size == QSize(459, 611))
                drawn[list.name] = grown;
            EXPECT_EQ(grown, drawn[list.name] + QSize(w, h / 2)) << list.name << " at " << size.width() << "x" << size.height();
        }
    }
    window.resize(459, 611);

    // The line under the folder's list is never cut: it breaks where it must.
    child<QTabWidget>("SSTab1")->setCurrentIndex(3);
    auto *count = child<QLabel>("lblFolderCount");
    for (const QString &text : {count->text(), u"Показано 238 из 238. Ещё 111 файлов в папке — не патчи. Ещё 21 файл с именем в другой "
                                                u"кодировке: программа не может его открыть, переименуйте его."_s}) {
        count->setText(text);
        QApplication::processEvents();
        EXPECT_LE(count->heightForWidth(count->width()), count->height()) << text.toStdString();
    }
    // Files of both kinds beside the patches: two lines, not three.
    count->setText(countLine({true, false, 238, 238, 111, 21, {}}));
    EXPECT_LT(count->heightForWidth(count->width()), 5 * count->fontMetrics().lineSpacing() / 2) << count->text().toStdString();
    child<QTabWidget>("SSTab1")->setCurrentIndex(2);

    // Every tab caption readable in one row.
    const QTabBar *bar = child<QTabWidget>("SSTab1")->tabBar();
    EXPECT_LE(bar->sizeHint().width(), 457);
    for (int i = 0; i < bar->count(); ++i)
        EXPECT_GE(bar->tabRect(i).width(), bar->fontMetrics().horizontalAdvance(bar->tabText(i)));

    // Tab walks the controls in their order; of the lists only the shown one takes focus.
    QStringList order;
    QWidget *start = child<QTabWidget>("SSTab1")->tabBar();
    start->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 5; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        order += QApplication::focusWidget()->objectName();
    }
    // The button that would stop using a backup shows only while one is in use.
    EXPECT_EQ(order, (QStringList{u"txtPath"_s, u"vklay"_s, u"lstOther"_s, u"cmdClear"_s, u"cmdBackup"_s}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), start);
}

TEST_F(Window, ShowsItsButtonsAsDrawn)
{
    auto *clear = child<QPushButton>("cmdClear");
    EXPECT_EQ(clear->text(), QString(QChar(0x0421)));
    EXPECT_EQ(clear->font().family(), u"MS Sans Serif");
    EXPECT_EQ(clear->font().pointSize(), 24);
    EXPECT_TRUE(clear->font().bold());
    EXPECT_EQ(clear->toolTip(), u"Очистить поле патча");

    auto *vklay = child<QPushButton>("vklay");
    EXPECT_TRUE(vklay->text().isEmpty());
    EXPECT_EQ(vklay->toolTip(), u"Открыть в V_klay");
    EXPECT_EQ(vklay->accessibleName(), u"Открыть в V_klay");
    EXPECT_EQ(QImageReader(u":/icons/vklay.ico"_s).imageCount(), 6);
    EXPECT_EQ(vklay->icon().availableSizes(), (QList<QSize>{{32, 32}, {48, 48}, {16, 16}, {24, 24}}));
    EXPECT_EQ(window.windowIcon().availableSizes(), QList<QSize>{QSize(32, 32)});
    EXPECT_EQ(window.windowTitle(), u"Kelvarine by Dorrin Demo");
}

// What a screen reader announces for each control.
TEST_F(Window, NamesEveryControlForScreenReaders)
{
    std::vector<std::pair<QWidget *, QString>> named = {
        {child<QWidget>("vklay"), u"Открыть в V_klay"_s},
        {child<QWidget>("cmdClear"), u"Очистить поле патча"_s},
        {child<QWidget>("txtPath"), u"Поле патча"_s},
        {child<QWidget>("cmdBackup"), u"Сверить с копией прошивки…"_s},
        {child<QWidget>("cmdNoBackup"), u"Не сверять с копией прошивки"_s},
        {child<QWidget>("lblBackup"), u"Копия прошивки не выбрана"_s},
        {child<QWidget>("cmdFolder"), u"Папка с патчами…"_s},
        {child<QWidget>("txtFilter"), u"Найти патч"_s},
        {child<QWidget>("lstFolder"), u"Другие патчи"_s},
    };
    for (const Tab &tab : drawnCatalogue)
        named.emplace_back(child<QWidget>(tab.list), tab.caption);
    for (const auto &[widget, name] : named) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
        ASSERT_TRUE(accessible) << widget->objectName().toStdString();
        EXPECT_EQ(accessible->text(QAccessible::Name), name) << widget->objectName().toStdString();
    }
}

TEST_F(Window, AppendsThePickedEntryAndClears)
{
    folder.write(u"f2.h"_s, "A\r\nB");
    folder.write(u"o6.h"_s, "C");
    pick(1, "lstFast", 2);
    EXPECT_EQ(patchText(), u"\r\nA\r\nB\r\n");
    pick(2, "lstOther", 6);
    EXPECT_EQ(patchText(), u"\r\nA\r\nB\r\n\r\nC\r\n");

    // A double-click beside the entries picks nothing, nor does Space.
    auto *list = child<QListWidget>("lstOther");
    const QPoint below(10, list->viewport()->height() - 3);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(patchText(), u"\r\nA\r\nB\r\n\r\nC\r\n");

    // Return, or Enter on the keypad, picks the current entry: once a press,
    // not again while the key repeats.
    QTest::keyClick(list, Qt::Key_Return);
    QTest::keyClick(list, Qt::Key_Enter, Qt::KeypadModifier);
    QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(list, &repeated);
    EXPECT_EQ(patchText(), u"\r\nA\r\nB\r\n\r\nC\r\n\r\nC\r\n\r\nC\r\n");

    QTest::mouseClick(child<QPushButton>("cmdClear"), Qt::LeftButton);
    EXPECT_EQ(patchText(), u"");
}

TEST_F(Window, ShowsEveryEntryAsDrawnAndEachPicksItsOwnFile)
{
    // The catalogue's three tabs, then the folder's.
    auto *tabs = child<QTabWidget>("SSTab1");
    ASSERT_EQ(tabs->count(), int(std::size(drawnCatalogue)) + 1);
    EXPECT_EQ(tabs->tabText(3), u"Другие патчи");
    EXPECT_TRUE(tabs->widget(3)->isAncestorOf(child<QWidget>("lstFolder")));
    QString expected;
    for (int t = 0; t < int(std::size(drawnCatalogue)); ++t) {
        const Tab &tab = drawnCatalogue[t];
        EXPECT_EQ(tabs->tabText(t), tab.caption);
        auto *list = child<QListWidget>(tab.list);
        EXPECT_TRUE(tabs->widget(t)->isAncestorOf(list)) << tab.list;
        QStringList shown, drawn;
        for (int row = 0; row < list->count(); ++row)
            shown += list->item(row)->text();
        for (const Entry &entry : tab.entries) {
            drawn += entry.caption;
            folder.write(entry.file, entry.file.toLatin1()); // each file holds its own name
            expected += u"\r\n"_s + entry.file + u"\r\n"_s;
        }
        EXPECT_EQ(shown, drawn) << tab.list;
    }
    for (int t = 0; t < int(std::size(drawnCatalogue)); ++t) {
        for (int row = 0; row < int(drawnCatalogue[t].entries.size()); ++row)
            pick(t, drawnCatalogue[t].list, row);
    }
    EXPECT_EQ(patchText(), expected);
}

TEST_F(Window, AnAppendLeavesTheCaretAtTheEndInViewAndCtrlZTakesBackJustIt)
{
    folder.write(u"o1.h"_s, QByteArray("A\r\n").repeated(100) + "B");
    folder.write(u"o2.h"_s, "C\nD\n");
    auto *edit = child<QPlainTextEdit>("txtPath");
    QTest::keyClicks(edit, u"typed"_s);
    pick(2, "lstOther", 1);
    edit->moveCursor(QTextCursor::Start); // the user scrolled up meanwhile
    pick(2, "lstOther", 2);
    EXPECT_TRUE(edit->textCursor().atEnd());
    EXPECT_FALSE(edit->textCursor().hasSelection());
    // The text is taller than the box, which shows its end.
    EXPECT_GT(edit->verticalScrollBar()->maximum(), 0);
    EXPECT_TRUE(edit->viewport()->rect().contains(edit->cursorRect()));

    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(patchText(), u"typed\r\n"_s + u"A\r\n"_s.repeated(100) + u"B\r\n"_s);
    QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(patchText(), u"typed");
}

TEST_F(Window, TypedLineBreaksAreCrLf)
{
    auto *edit = child<QPlainTextEdit>("txtPath");
    QTest::keyClicks(edit, u"x"_s);
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, u"y"_s);
    QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(edit, u"z"_s);
    EXPECT_EQ(patchText(), u"x\r\ny\r\nz");
}

TEST_F(Window, HoldsEveryByteAndLineEndExactly)
{
    const QByteArray line = everyLineByte();
    const QByteArray nul(1, '\0');
    folder.write(u"d7.h"_s, line + "\r\n\r\n" + line + nul + "\n");
    PlainTextHolder expected;
    ASSERT_FALSE(AppendPatchFile(expected, Category::Del, 7));
    pick(0, "lstDel", 7);
    EXPECT_EQ(patchText(), expected.text());

    // Lines the flashing tool cannot read, handed over all the same; shell.bat is missing here.
    whenMessageBox([](QMessageBox *box) {
        whenMessageBox(readAndAccept);
        box->buttons().at(0)->click();
    });
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_EQ(folder.read(u"tmp.vkp"_s), "\r\n" + line + "\r\n\r\n" + line + nul + "\r\n\r\n");
}

TEST_F(Window, HandsOverToTheScript)
{
    folder.write(u"o0.h"_s, "A0: 01");
    folder.write(u"shell.bat"_s, markerScript());
    folder.write(u"stop"_s, "");
    pick(2, "lstOther", 0);
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_EQ(folder.read(u"tmp.vkp"_s), "\r\nA0: 01\r\n\r\n");
    ASSERT_TRUE(waitForFile(folder.file(u"done"_s)));
    EXPECT_EQ(folder.read(u"started"_s).trimmed(), "0"); // no arguments
}

// Entries whose patch file is missing are grey, and say where it belongs;
// one that is a folder says so, as an append does; the others say what their
// patch says about itself, line for line. All follow the folder each time
// the window comes back.
TEST_F(Window, ShowsWhichPatchFilesAreMissingAndWhatThePresentOnesSay)
{
    folder.write(u"o1.h"_s, "; \xCE\xF2\xEA\xF0\xFB\xE2\xE0\xE5\xF2 <b>\xE4\xE8\xF1\xEA\xE8</b>\r\n; 2\r\nA0: 01"); // "Открывает <b>диски</b>"
    folder.write(u"o2.h"_s, "A0: 01");
    QDir(folder.path()).mkdir(u"d0.h"_s);
    comeBack();
    // The folder as the program names it, with no separator at its end.
    const QString where = QFileInfo(folder.file(u"o1.h"_s)).path();
    const QColor grey = window.palette().color(QPalette::Disabled, QPalette::Text);
    const auto shown = [&](const char *list, int row) {
        const QListWidgetItem *item = child<QListWidget>(list)->item(row);
        const QVariant colour = item->data(Qt::ForegroundRole);
        const QString about = item->data(Qt::AccessibleDescriptionRole).toString();
        QTextDocument tooltip;
        tooltip.setHtml(item->data(Qt::ToolTipRole).toString());
        EXPECT_EQ(tooltip.toPlainText(), about);
        return std::pair{colour.isValid() && colour.value<QBrush>().color() == grey, about};
    };
    const QString missingD1 = u"Файла d1.h нет в папке программы\n"_s + QDir::toNativeSeparators(where)
        + u"\nПоложите его туда, и патч можно будет добавить."_s;
    int missing = 0;
    for (const Tab &tab : drawnCatalogue) {
        for (int row = 0; row < int(tab.entries.size()); ++row)
            missing += shown(tab.list, row).first;
    }
    EXPECT_EQ(missing, 18);
    EXPECT_EQ(shown("lstDel", 1), std::pair(true, missingD1));
    EXPECT_EQ(shown("lstDel", 0), std::pair(true, u"Не удалось прочитать d0.h: это папка, а не файл."_s));
    const Status append = AppendPatchFile(*std::make_unique<PlainTextHolder>(), Category::Del, 0);
    EXPECT_EQ(append ? append->reason : QString(), u"это папка, а не файл"_s);
    EXPECT_EQ(shown("lstOther", 1), std::pair(false, u"Открывает <b>диски</b>\n2"_s));
    EXPECT_EQ(tooltipLines(child<QListWidget>("lstOther")->item(1)), 2);
    EXPECT_EQ(shown("lstOther", 2), std::pair(false, u"o2.h"_s));
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(child<QWidget>("lstDel"));
    ASSERT_TRUE(list && list->child(1));
    EXPECT_EQ(list->child(1)->text(QAccessible::Description), missingD1);

    // What changes while the window is away shows once it is back.
    QFile::remove(folder.file(u"o2.h"_s));
    QDir(folder.path()).mkdir(u"o2.h"_s);
    folder.write(u"d5.h"_s, "");
    EXPECT_TRUE(shown("lstDel", 5).first);
    comeBack();
    EXPECT_EQ(shown("lstDel", 5), std::pair(false, u"d5.h"_s));
    EXPECT_EQ(shown("lstOther", 2), std::pair(true, u"Не удалось прочитать o2.h: это папка, а не файл."_s));
}

// From the first show, before the window was ever in the background.
TEST_F(Window, GreysTheEntriesWhosePatchFilesAreMissingAtOnce)
{
    const QStringList present = {u"d1.h"_s, u"f0.h"_s, u"o7.h"_s};
    for (const QString &file : present)
        folder.write(file, "A0: 01");
    MainWindow opened; // unlike the fixture's, after the files
    opened.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&opened));
    for (const Tab &tab : drawnCatalogue) {
        for (int row = 0; row < int(tab.entries.size()); ++row)
            EXPECT_EQ(drawnGrey(opened, tab.list, row), !present.contains(tab.entries[row].file)) << qPrintable(tab.entries[row].file);
    }
}

// Files added and taken away while the window is in the background show
// once it is back, not before.
TEST_F(Window, LooksAtThePatchFilesWhenItComesBackNotWhenItLeaves)
{
    elsewhere.show();
    folder.write(u"d2.h"_s, "A0: 01");
    ASSERT_TRUE(activate(elsewhere) && activate(window));
    ASSERT_FALSE(drawnGrey(window, "lstDel", 2));

    ASSERT_TRUE(activate(elsewhere));
    QFile::remove(folder.file(u"d2.h"_s));
    folder.write(u"d5.h"_s, "A0: 01");
    EXPECT_FALSE(drawnGrey(window, "lstDel", 2));
    EXPECT_TRUE(drawnGrey(window, "lstDel", 5));
    ASSERT_TRUE(activate(window));
    EXPECT_TRUE(drawnGrey(window, "lstDel", 2));
    EXPECT_FALSE(drawnGrey(window, "lstDel", 5));
}

// Each list keeps room for a mark where one of its own entries has one; a
// list on a desktop that opens items with one click still appends only on
// a double-click or Enter.
TEST_F(Window, KeepsRoomForAMarkInEachListByItselfAndAppendsOnADoubleClickOnly)
{
    folder.write(u"d8.h"_s, ";S65v58\r\n;Clock\r\nA0: 01\r\n");
    folder.write(u"f0.h"_s, "A0: 02\r\n");
    comeBack();
    const auto icon = [&](const char *list, int row) { return child<QListWidget>(list)->item(row)->icon(); };
    EXPECT_FALSE(icon("lstDel", 8).isNull());
    EXPECT_FALSE(icon("lstDel", 0).isNull()); // room, beside the one marked
    EXPECT_TRUE(icon("lstFast", 0).isNull());

    class OneClick : public QProxyStyle
    {
    public:
        int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget, QStyleHintReturn *data) const override
        {
            return hint == SH_ItemView_ActivateItemOnSingleClick ? 1 : QProxyStyle::styleHint(hint, option, widget, data);
        }
    } oneClick;
    auto *list = child<QListWidget>("lstFast");
    list->setStyle(&oneClick);
    child<QTabWidget>("SSTab1")->setCurrentIndex(1);
    const QPoint at = list->visualItemRect(list->item(0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(patchText(), u""_s);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(patchText(), u"\r\nA0: 02\r\n"_s);
    list->setStyle(nullptr);
}

// A file that leaves an offset on shifts every patch added after it.
TEST_F(Window, AppendsAFileThatLeavesAnOffsetOnAndSaysSo)
{
    folder.write(u"o3.h"_s, "; fade in\r\n+A0000000\r\n123456: 01");
    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    pick(2, "lstOther", 3);
    EXPECT_EQ(patchText(), u"\r\n; fade in\r\n+A0000000\r\n123456: 01\r\n");
    EXPECT_EQ(shown.icon, QMessageBox::Warning);
    EXPECT_EQ(shown.parent, &window);
    EXPECT_TRUE(shown.text.contains(QDir::toNativeSeparators(folder.file(u"o3.h"_s))));
    EXPECT_TRUE(shown.text.contains(u"смещение +A0000000 из строки 2"));
    EXPECT_TRUE(shown.text.contains(u"«+0»"));
}

// Only a hand-over the user asks for writes tmp.vkp and starts shell.bat.
TEST_F(Window, AsksBeforeHandingOverWhatWouldGoWrong)
{
    auto *edit = child<QPlainTextEdit>("txtPath");
    edit->setPlainText(u"A0: 0102\n0A0: 0304"_s);
    const struct {
        const char *answer;
        std::function<void(QMessageBox *)> give;
        bool handsOver;
    } answers[] = {
        {"Enter on the default", [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); }, false},
        {"Escape", [](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); }, false},
        {"the close box", [](QMessageBox *box) { box->close(); }, false},
        {"Передать всё равно", [](QMessageBox *box) { box->buttons().at(0)->click(); }, true},
    };
    for (const auto &a : answers) {
        // No shell.bat before the last answer: a start would be an error box.
        folder.write(u"tmp.vkp"_s, "OLD");
        if (a.handsOver) {
            folder.write(u"shell.bat"_s, markerScript());
            folder.write(u"stop"_s, "");
        }
        QString text, go;
        whenMessageBox([&](QMessageBox *box) {
            text = box->text();
            go = box->buttons().at(0)->text();
            EXPECT_EQ(box->defaultButton()->text(), u"Отмена");
            a.give(box);
        });
        QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
        EXPECT_TRUE(text.contains(u"патчи в строках 1 и 2 пишут в одни и те же байты 000000A0–000000A1"_s)) << a.answer;
        EXPECT_EQ(go, u"Передать всё равно");
        EXPECT_EQ(folder.read(u"tmp.vkp"_s), a.handsOver ? "A0: 0102\r\n0A0: 0304\r\n" : "OLD") << a.answer;
        EXPECT_EQ(patchText(), u"A0: 0102\r\n0A0: 0304") << a.answer;
    }
    EXPECT_TRUE(waitForFile(folder.file(u"done"_s)));
}

// Writes to both of its outputs, then makes a file "done" in its working
// directory; sh and cmd.exe read it alike.
const QByteArray chattyScript = "echo chatty-script-out\n"
                                "echo chatty-script-err >&2\n"
                                "echo done > done\n";

// The script runs with our terminal's outputs in reach: the test runs itself
// again and finds nothing of the script's in that process's outputs.
TEST_F(Window, KeepsAScriptsOutputOffItsTerminal)
{
    if (isChildRun()) {
        folder.write(u"shell.bat"_s, chattyScript);
        QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
        ASSERT_TRUE(waitForFile(folder.file(u"done"_s)));
        return;
    }
    const QByteArray output = runThisTestInChild();
    EXPECT_FALSE(output.contains("chatty-script")) << output.constData();
}

TEST_F(Window, ReportsFailuresAndKeepsTheText)
{
    folder.write(u"o0.h"_s, "A0: 01");
    folder.write(u"shell.bat"_s, markerScript());
    folder.write(u"stop"_s, "");
    pick(2, "lstOther", 0);
    const QString before = patchText();

    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    pick(2, "lstOther", 5); // o5.h is missing
    EXPECT_EQ(shown.title, u"Kelvaro");
    EXPECT_EQ(shown.icon, QMessageBox::Critical);
    EXPECT_EQ(shown.text.section(u'\n', 0, 0), u"Не удалось добавить патч.");
    EXPECT_TRUE(shown.text.contains(QDir::toNativeSeparators(folder.file(u"o5.h"_s))));
    EXPECT_TRUE(shown.text.contains(u"файл не найден"));
    // Over the window, which waits for it.
    EXPECT_EQ(shown.parent, &window);
    EXPECT_NE(shown.modality, Qt::NonModal);
    EXPECT_EQ(patchText(), before);

    // A typed character the code page lacks stops the hand-over before the script.
    auto *edit = child<QPlainTextEdit>("txtPath");
    edit->moveCursor(QTextCursor::End);
    edit->insertPlainText(u"; 中"_s);
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_TRUE(shown.text.contains(u"«中»"));
    EXPECT_EQ(patchText(), before + u"; 中"_s);
    EXPECT_FALSE(folder.exists(u"tmp.vkp"_s));

    // So does a folder where tmp.vkp should be.
    QTest::mouseClick(child<QPushButton>("cmdClear"), Qt::LeftButton);
    QDir(folder.path()).mkdir(u"tmp.vkp"_s);
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_TRUE(shown.text.contains(QDir::toNativeSeparators(folder.file(u"tmp.vkp"_s))));

    QTest::qWait(200);
    EXPECT_FALSE(folder.exists(u"started"_s));
    EXPECT_TRUE(window.isVisible());
}

TEST_F(Window, ALongRunOfMixedActionsLeavesNothingBehind)
{
    // What each entry adds to tmp.vkp, worked out on the bytes of its file.
    // Kilobytes a file, 2.6 MB over the run, so that a copy of each file leaked
    // at its append, or of the text at each hand-over, passes the bound; in few
    // long lines, which the text box takes in faster than many short ones.
    const QByteArray words = QByteArray(" \xEF\xE0\xF2\xF7").repeated(85);
    std::vector<std::vector<QByteArray>> added;
    for (const Tab &tab : drawnCatalogue) {
        added.emplace_back();
        for (std::size_t i = 0; i < tab.entries.size(); ++i) {
            const QByteArray line = "; " + tab.entries[i].file.toLatin1() + words + "\r\n";
            const QByteArray bytes = line.repeated(int(i) + 3);
            folder.write(tab.entries[i].file, bytes);
            added.back().push_back(referenceExport(bytes).chopped(2));
        }
    }
    folder.write(u"shell.bat"_s, "");
    auto *clear = child<QPushButton>("cmdClear");
    auto *vklay = child<QPushButton>("vklay");

    QRandomGenerator random(50);
    const auto run = [&](int actions) {
        QByteArray model; // the patch text, as tmp.vkp would hold it
        int wrongExports = 0;
        // The window paints before each hand-over, as the user looks the text
        // over, rather than after every pick: painting costs more than picking.
        const auto handOver = [&] {
            QCoreApplication::processEvents();
            QTest::mouseClick(vklay, Qt::LeftButton);
            wrongExports += folder.read(u"tmp.vkp"_s) != model + "\r\n";
        };
        // Each hand-over waits for shell.bat to start: few of them, on long texts.
        for (int n = 0; n < actions; ++n) {
            const int action = random.bounded(1000);
            if (action < 15) {
                QTest::mouseClick(clear, Qt::LeftButton);
                model.clear();
            } else if (action < 40) {
                handOver();
            } else {
                const int tab = random.bounded(3);
                const int row = random.bounded(int(drawnCatalogue[tab].entries.size()));
                pick(tab, drawnCatalogue[tab].list, row);
                model += added[tab][row];
            }
        }
        handOver();
        EXPECT_EQ(wrongExports, 0);
        QTest::mouseClick(clear, Qt::LeftButton);
        QCoreApplication::processEvents();
    };

    run(40); // warm caches, fonts and the allocator first
    const std::size_t before = heapInUse();
    run(1080);
    EXPECT_LT(heapInUse(), before + 2 * 1024 * 1024);
}

// The whole program, as main() runs it, with every box answered.
class Program : public ::testing::Test
{
protected:
    static MainWindow *shownWindow()
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<MainWindow *>(widget); window && window->isVisible())
                return window;
        }
        return nullptr;
    }

    // Runs the program to its end: `inWindow` gets the window once it shows,
    // and closing the window then ends the program.
    int run(bool codePageAvailable, const std::function<void(MainWindow &)> &inWindow = {})
    {
        whenMessageBox([this](QMessageBox *box) {
            windowBeforeFirstBox = shownWindow() != nullptr;
            firstBox = readAndAccept(box);
            warned = true;
        });
        QTimer waitForWindow;
        QObject::connect(&waitForWindow, &QTimer::timeout, [&] {
            MainWindow *window = shownWindow();
            if (!warned || !window || QApplication::activeModalWidget())
                return;
            if (!windowShown && inWindow)
                inWindow(*window);
            windowShown = true;
            // Each time it shows: closed before the event loop runs, it would not end the program.
            window->close();
        });
        waitForWindow.start(10);
        return runProgram(codePageAvailable);
    }

    Shown firstBox;
    bool warned = false;
    bool windowBeforeFirstBox = false;
    bool windowShown = false;
    UnexpectedBoxes unexpectedBoxes;
};

TEST_F(Program, WarnsFirstThenShowsTheWindowUntilItIsClosed)
{
    EXPECT_EQ(run(true), 0);
    EXPECT_EQ(firstBox.text, warningText);
    EXPECT_EQ(firstBox.icon, QMessageBox::Warning);
    EXPECT_FALSE(windowBeforeFirstBox);
    EXPECT_TRUE(windowShown);
}

TEST_F(Program, StopsWithAnErrorWhereQtLacksTheCodePage)
{
    EXPECT_EQ(run(false), 1);
    EXPECT_EQ(firstBox.title, u"Kelvaro");
    EXPECT_EQ(firstBox.icon, QMessageBox::Critical);
    EXPECT_TRUE(firstBox.text.contains(u"Windows-1251"));
    EXPECT_FALSE(windowShown);
}

// No program folder of the tests here: the program's own, the executable's,
// which a child running from a copy of this binary has to itself.
TEST_F(Program, ReadsThePatchFilesBesideItsExecutableWhateverTheWorkingDirectory)
{
    if (isChildRun()) {
        QString text;
        run(true, [&](MainWindow &window) {
            pickIn(window, 0, "lstDel", 0);
            text = patchTextOf(window);
        });
        EXPECT_EQ(text, u"\r\nbeside\r\n");
        return;
    }
    const QTemporaryDir beside, elsewhere;
    for (const auto &[folder, content] : {std::pair{&beside, "beside"}, std::pair{&elsewhere, "elsewhere"}}) {
        QFile file(QDir(folder->path()).filePath(u"d0.h"_s));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) > 0);
    }
    runThisTestInChild(beside.path(), elsewhere.path());
}
