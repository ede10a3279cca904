// What Qt shows by itself (the text boxes' menus, the file dialogs) speaks
// Russian through Qt's own catalogue, and a catalogue that cannot be loaded
// changes nothing.
#include "runtime/qtcatalogue.h"
#include "support/printers.h"
#include "support/wait.h"
#include "support/windowdriver.h"

#include <QAbstractItemModel>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QUrl>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Qt's words, as a person reads them, that hold a Latin word; the patterns
// of file filters (*.bin) are no words.
QStringList english(const QStringList &texts)
{
    static const QRegularExpression latinWord(u"[A-Za-z]{2,}"_s), pattern(u"\\*\\.\\w+"_s);
    QStringList found;
    for (QString text : texts) {
        if (text.remove(u'&').remove(pattern).contains(latinWord))
            found += text;
    }
    return found;
}

// The words of a menu and of its submenus. What follows a tab is the
// shortcut, whose key names (Ctrl, Del) are those on the keyboard.
void addWords(const QMenu *menu, QStringList &words)
{
    for (const QAction *action : menu->actions()) {
        words += action->text().section(u'\t', 0, 0);
        if (action->menu())
            addWords(action->menu(), words);
    }
}

// The menu a right-click on `widget` opens, read and closed.
QStringList contextMenuWords(QWidget *widget)
{
    // A menu may run a loop of its own (the patch text's does): it is read
    // and closed from within it.
    QStringList words;
    QTimer reader;
    QObject::connect(&reader, &QTimer::timeout, [&] {
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
            reader.stop();
            addWords(menu, words);
            menu->close();
        }
    });
    reader.start(10);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5), widget->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(widget, &click);
    WAIT_FOR(!reader.isActive());
    return words;
}

// What a file dialog shows in Qt's words: its labels, buttons and their
// tooltips, the actions of its list's menu, the columns and what they say of
// each file and folder but their names, the filters, and the places of the
// side bar but for folders shown by their own names.
QStringList dialogWords(const QFileDialog *dialog)
{
    QStringList words{dialog->windowTitle()};
    for (const QLabel *label : dialog->findChildren<QLabel *>()) {
        if (label->isVisible())
            words += label->text();
    }
    for (const QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
        if (button->isVisible())
            words << button->text() << button->toolTip();
    }
    for (const QAction *action : dialog->findChildren<QAction *>())
        words += action->text();
    const QAbstractItemModel *files = dialog->findChild<QTreeView *>(u"treeView"_s)->model();
    for (int column = 0; column < files->columnCount(); ++column)
        words += files->headerData(column, Qt::Horizontal).toString();
    const QTreeView *list = dialog->findChild<QTreeView *>(u"treeView"_s);
    for (int row = 0; row < files->rowCount(list->rootIndex()); ++row) {
        const QString suffix = QFileInfo(files->index(row, 0, list->rootIndex()).data().toString()).suffix();
        for (int column = 1; column < files->columnCount(); ++column)
            words += files->index(row, column, list->rootIndex()).data().toString().remove(suffix);
    }
    const QComboBox *filters = dialog->findChild<QComboBox *>(u"fileTypeCombo"_s);
    for (int row = 0; row < filters->count(); ++row)
        words += filters->itemText(row);
    constexpr int placeUrlRole = Qt::UserRole + 1; // the side bar's model keeps each place's URL there
    const QAbstractItemModel *places = dialog->findChild<QListView *>(u"sidebar"_s)->model();
    for (int row = 0; row < places->rowCount(); ++row) {
        const QModelIndex place = places->index(row, 0);
        const QString folder = QFileInfo(place.data(placeUrlRole).toUrl().toLocalFile()).fileName();
        if (place.data().toString() != folder)
            words += place.data().toString();
    }
    return words;
}

QString acceptText(const QFileDialog *dialog)
{
    return dialog->findChild<QDialogButtonBox *>()->buttons().front()->text().remove(u'&');
}

// Whether each column of the dialog's list shows what it says of every file
// whole: the name, the size, the type and the time.
bool readsWhole(const QFileDialog *dialog)
{
    const QTreeView *list = dialog->findChild<QTreeView *>(u"treeView"_s);
    const QAbstractItemModel *files = list->model();
    for (int row = 0; row < files->rowCount(list->rootIndex()); ++row) {
        for (int column = 0; column < files->columnCount(); ++column) {
            const QString text = files->index(row, column, list->rootIndex()).data().toString();
            const int room = list->header()->sectionSize(column) - (column == 0 ? list->iconSize().width() + 8 : 0);
            if (list->fontMetrics().horizontalAdvance(text) > room) {
                ADD_FAILURE() << text.toStdString() << " cut to " << room;
                return false;
            }
        }
    }
    return true;
}

} // namespace

TEST_F(Window, TextBoxMenusSpeakRussian)
{
    for (const char *box : {"txtPath", "txtFilter"}) {
        QWidget *widget = child<QWidget>(box);
        if (auto *area = qobject_cast<QAbstractScrollArea *>(widget))
            widget = area->viewport();
        const QStringList words = contextMenuWords(widget);
        EXPECT_GE(words.size(), 7) << box;
        EXPECT_TRUE(words.contains(u"&Копировать"_s)) << box << ": " << words.join(u", "_s).toStdString();
        EXPECT_EQ(english(words), QStringList()) << box;
    }
}

// Their titles and the backup's accept button are the program's own words;
// the rest are Qt's, the folder's «Выбрать» too, and what its list says of a
// folder, of files and of their sizes and times, read whole; a folder is a
// «папка» there too.
TEST_F(Window, FileDialogsSpeakRussian)
{
    folder.write(u"full.bin"_s, QByteArray(2 * 1024 * 1024, '\x33'));
    folder.write(u"notes.txt"_s, "notes");
    QDir(folder.path()).mkdir(u"patches"_s);
    dropFiles(child<QPlainTextEdit>("txtPath")->viewport(), {folder.file(u"full.bin"_s)});
    child<QPlainTextEdit>("txtPath")->setPlainText(u"1000: 33 34"_s);
    const struct {
        const char *button; // none: Ctrl+S, the copy after the flash
        QString title, accept;
    } dialogs[] = {
        {"cmdFolder", u"Папка с патчами"_s, u"Выбрать"_s},
        {"cmdBackup", u"Копия прошивки"_s, u"Сверить"_s},
        {nullptr, u"Копия после прошивки"_s, u"Сохранить"_s},
    };
    for (const auto &d : dialogs) {
        const char *name = d.button ? d.button : "Ctrl+S";
        QStringList words;
        QString title, accept;
        bool whole = false;
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            dialog->setDirectory(folder.path());
            const auto *list = dialog->findChild<QTreeView *>(u"treeView"_s);
            WAIT_FOR(list->model()->rowCount(list->rootIndex()) >= (dialog->fileMode() == QFileDialog::Directory ? 1 : 2)
                     && !list->model()->index(0, 3, list->rootIndex()).data().toString().isEmpty());
            QApplication::processEvents();
            words = dialogWords(dialog);
            title = dialog->windowTitle();
            accept = acceptText(dialog);
            whole = readsWhole(dialog);
            dialog->reject();
        });
        if (d.button) {
            QTest::mouseClick(child<QPushButton>(d.button), Qt::LeftButton);
        } else {
            ASSERT_TRUE(activate(window));
            QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        }
        WAIT_FOR(!title.isEmpty());
        EXPECT_EQ(title, d.title) << name;
        EXPECT_EQ(accept, d.accept) << name;
        EXPECT_TRUE(words.contains(u"Имя"_s)) << name << ": " << words.join(u", "_s).toStdString();
        EXPECT_TRUE(words.contains(u"Отмена"_s)) << name;
        EXPECT_TRUE(words.contains(u"Папка"_s)) << name << ": " << words.join(u", "_s).toStdString();
        EXPECT_EQ(english(words), QStringList()) << name;
        EXPECT_EQ(words.filter(u"аталог"_s), QStringList()) << name << ": the program says «папка»";
        EXPECT_TRUE(whole) << name;
    }
}

// A catalogue missing or broken is not loaded and leaves Qt's words as they
// were: the program then runs with them, English at start.
TEST(QtCatalogue, IsLoadedFromItsFolderAndWhatCannotBeLeavesTheWordsAsTheyWere)
{
    const QTemporaryDir empty, broken;
    QFile garbage(QDir(broken.path()).filePath(u"qtbase_ru.qm"_s));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly) && garbage.write("not a catalogue") > 0);
    garbage.close();
    const struct {
        const char *name;
        QString folder;
        bool loaded;
    } folders[] = {
        {"the platform's", qtCatalogueFolder(), true},
        {"missing", empty.path(), false},
        {"broken", broken.path(), false},
        {"the platform's again", qtCatalogueFolder(), true},
    };
    for (const auto &f : folders) {
        EXPECT_EQ(loadQtRussian(f.folder), f.loaded) << f.name;
        EXPECT_EQ(QCoreApplication::translate("QFileDialog", "New Folder"), u"Новая папка"_s) << f.name;
    }
}
