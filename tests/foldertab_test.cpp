// The fourth tab: a folder of made-up patches in the collection's layout,
// listed by their own names, narrowed as a filter is typed, marked, and
// appended as the twenty are.
#include "countline.h"
#include "folderlister.h"
#include "foldertab.h"
#include "support/madeup.h"
#include "support/printers.h"
#include "support/wait.h"
#include "support/windowdriver.h"

#include <QAbstractItemModel>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest-spi.h>

using namespace Qt::StringLiterals;

namespace {

// Windows-1251 bytes of text in ASCII and А…я, as the collection writes its patches.
QByteArray cp1251(const QString &text)
{
    QByteArray bytes;
    for (const QChar c : text)
        bytes += c.unicode() < 0x80 ? char(c.unicode()) : char(c.unicode() - 0x0410 + 0xC0);
    return bytes;
}

class FolderOfPatches : public Window
{
protected:
    FolderOfPatches()
    {
        patch(u"101-MainScreen.vkp"_s, u";CX70v50\r\n;Позиционирование экрана\r\n;PatchID: 101\r\n1000: 10 5E\r\n"_s);
        patch(u"102-Clock.vkp"_s, u";CX70v50\r\n;Часы\r\n;PatchID: 102\r\n1010: 10 5E\r\n"_s);
        patch(u"2040-Big font.vkp"_s, u";CX70v56\r\n;Большой шрифт\r\n;PatchID: 2040\r\n1020: 10 5E\r\n"_s);
        patch(u"readme.txt"_s, u"Сборник\r\n"_s);
    }

    QString collection() const { return QDir::cleanPath(folder.root() + u"/CX70v50"_s); }
    void patch(const QString &name, const QString &text) const
    {
        QDir().mkpath(collection());
        QFile file(collection() + u'/' + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(cp1251(text)) < 0)
            qFatal("cannot write %s", qPrintable(name));
    }
    QListView *list() { return child<QListView>("lstFolder"); }
    QString count() { return child<QLabel>("lblFolderCount")->text(); }
    QStringList rows()
    {
        QStringList shown;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            shown += list()->model()->index(row, 0).data().toString();
        return shown;
    }
    QString about(int row) { return list()->model()->index(row, 0).data(Qt::AccessibleDescriptionRole).toString(); }
    QImage mark(int row) { return list()->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(16).toImage(); }
    // A look again says nothing while it may find all as it was.
    void waitForList() { WAIT_FOR(!count().startsWith(u"Читаю"_s) && !window.findChild<FolderLister *>()->busy()); }
    void chooseFolder(const QString &chosen)
    {
        whenModal<QFileDialog>([chosen](QFileDialog *dialog) { chooseInDialog(dialog, chosen); });
        // A shortcut reaches an active window only: after a box the platform
        // makes it active again in its own time.
        EXPECT_TRUE(window.isActiveWindow() || activate(window));
        QTest::keyClick(child<QTabWidget>("SSTab1")->tabBar(), Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        waitForList();
    }
    void selectRow(int row) { list()->setCurrentIndex(list()->model()->index(row, 0)); }
};

} // namespace

TEST_F(FolderOfPatches, ListsFiltersMarksAndAppends)
{
    EXPECT_TRUE(count().startsWith(u"Выберите папку с патчами"_s));
    chooseFolder(collection());
    EXPECT_EQ(child<QTabWidget>("SSTab1")->currentIndex(), 3);
    EXPECT_EQ(rows(), (QStringList{u"Большой шрифт"_s, u"Позиционирование экрана"_s, u"Часы"_s}));
    EXPECT_EQ(count(), u"Показано 3 из 3. Ещё 1 файл в папке — не патч."_s);

    // What is typed narrows the list at once: a name, a number, a file's name.
    auto *filter = child<QLineEdit>("txtFilter");
    const struct {
        const char *typed;
        QStringList rows;
    } filters[] = {
        {"час", {u"Часы"_s}}, {"101", {u"Позиционирование экрана"_s}}, {"big FONT", {u"Большой шрифт"_s}}, {"нет такого", {}},
    };
    for (const auto &f : filters) {
        filter->clear();
        // A key at a time, Cyrillic ones too, which keyClicks cannot type.
        for (const QChar c : QString::fromUtf8(f.typed))
            QTest::sendKeyEvent(QTest::Click, filter, Qt::Key_unknown, QString(c), Qt::NoModifier);
        EXPECT_EQ(rows(), f.rows) << f.typed;
    }
    EXPECT_EQ(count(), u"Показано 0 из 3. Ещё 1 файл в папке — не патч."_s);
    QTest::keyClick(filter, Qt::Key_Escape);
    EXPECT_EQ(rows().size(), 3);

    // A patch for another firmware is marked so, with no backup in use.
    EXPECT_TRUE(about(0).startsWith(u"Патч написан для CX70v56, а эта программа — для CX70v50"_s)) << about(0).toStdString();
    EXPECT_TRUE(about(0).endsWith(u"Файл: 2040-Big font.vkp"_s));
    EXPECT_NE(mark(0), mark(1));
    EXPECT_EQ(mark(1).size(), QSize(16, 16)); // room for a mark all the same

    // Enter appends exactly the file's lines, as an entry of the twenty does;
    // one for another firmware is said after the append.
    selectRow(2);
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_EQ(patchText(), u"\r\n;CX70v50\r\n;Часы\r\n;PatchID: 102\r\n1010: 10 5E\r\n"_s);
    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    selectRow(0);
    QTest::keyClick(list(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(shown.text.startsWith(u"Патч добавлен, но он написан не для этого телефона или прошивки."_s));
    EXPECT_TRUE(patchText().endsWith(u";Большой шрифт\r\n;PatchID: 2040\r\n1020: 10 5E\r\n"_s));

    // With a backup, the rows are marked as the twenty are.
    QByteArray flash(2 * 1024 * 1024, '\x33');
    flash[0x1000] = '\x5E';
    flash[0x1010] = '\x10';
    folder.write(u"../full.bin"_s, flash);
    dropFiles(list()->viewport(), {QDir::cleanPath(folder.root() + u"/full.bin"_s)});
    waitForList();
    EXPECT_TRUE(about(1).startsWith(u"Патч уже есть в копии прошивки «full.bin»."_s)) << about(1).toStdString();
    EXPECT_TRUE(about(2).startsWith(u"Патча нет в копии прошивки «full.bin»"_s)) << about(2).toStdString();
}

// What a drop brings: a folder is listed, a patch file appended, even on the
// text box; what comes or goes while the window is away shows when it is back.
TEST_F(FolderOfPatches, TakesDroppedFoldersAndPatchesAndFollowsTheFolder)
{
    dropFiles(child<QPlainTextEdit>("txtPath")->viewport(), {collection() + u"/102-Clock.vkp"_s});
    EXPECT_EQ(patchText(), u"\r\n;CX70v50\r\n;Часы\r\n;PatchID: 102\r\n1010: 10 5E\r\n"_s);

    // The whole collection: the folder for this phone is taken, and said so.
    QDir().mkpath(folder.root() + u"/S65v58"_s);
    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    dropFiles(child<QPlainTextEdit>("txtPath")->viewport(), {folder.root()});
    waitForList();
    WAIT_FOR(!shown.text.isEmpty());
    EXPECT_TRUE(shown.text.contains(u"есть папка CX70v50 для этого телефона"_s)) << shown.text.toStdString();
    EXPECT_EQ(child<QTabWidget>("SSTab1")->currentIndex(), 3);
    EXPECT_EQ(rows().size(), 3);

    ASSERT_TRUE(activate(elsewhere.isVisible() ? elsewhere : (elsewhere.show(), elsewhere)));
    patch(u"103-New.vkp"_s, u";CX70v50\r\n;Новый\r\n1030: 10 5E\r\n"_s);
    QFile::remove(collection() + u"/102-Clock.vkp"_s);
    ASSERT_TRUE(activate(window));
    waitForList();
    WAIT_FOR(rows() == (QStringList{u"Большой шрифт"_s, u"Новый"_s, u"Позиционирование экрана"_s}));

    // Gone while away: said when the window is back, and the list emptied.
    ASSERT_TRUE(activate(elsewhere));
    QDir(collection()).removeRecursively();
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    ASSERT_TRUE(activate(window));
    WAIT_FOR(shown.text.startsWith(u"Не удалось открыть папку с патчами."_s));
    EXPECT_TRUE(shown.text.contains(u"папка не найдена"_s));
    EXPECT_TRUE(rows().isEmpty());
}

// What the tab keeps through what comes between: the patch the person stood
// on, the folder when the dialog is cancelled, no count of the folder before
// while one is read; the number a patch's header gives, whatever its file's
// name; a patch dropped says what a double-click would.
TEST_F(FolderOfPatches, KeepsWhatThePersonChoseWhileOthersComeAndGo)
{
    patch(u"templates.vkp"_s, u";CX70v50\r\n;Шаблон\r\n;PatchID: 3377\r\n;1030: 10 xx\r\n"_s);
    chooseFolder(collection());
    ASSERT_EQ(rows(), (QStringList{u"Большой шрифт"_s, u"Позиционирование экрана"_s, u"Часы"_s, u"Шаблон"_s}));
    EXPECT_EQ(count(), u"Показано 4 из 4. Ещё 1 файл в папке — не патч."_s);
    EXPECT_TRUE(about(3).startsWith(u"Патч в таком виде ничего не меняет"_s)) << about(3).toStdString();
    EXPECT_NE(mark(3), mark(1));

    auto *filter = child<QLineEdit>("txtFilter");
    QTest::keyClicks(filter, u"3377"_s);
    EXPECT_EQ(rows(), QStringList{u"Шаблон"_s});
    QTest::keyClick(filter, Qt::Key_Escape);

    // A patch came while the window was away: the rows are laid out anew.
    selectRow(2);
    elsewhere.show();
    ASSERT_TRUE(activate(elsewhere));
    patch(u"1-New.vkp"_s, u";CX70v50\r\n;Аа новый\r\n1040: 10 5E\r\n"_s);
    ASSERT_TRUE(activate(window));
    waitForList();
    ASSERT_EQ(rows().size(), 5);
    EXPECT_EQ(list()->currentIndex().data().toString(), u"Часы"_s);

    // Cancelled where it shows another folder: that one is not taken.
    const QString elsewhereFolder = folder.root();
    whenModal<QFileDialog>([elsewhereFolder](QFileDialog *dialog) {
        dialog->setDirectory(elsewhereFolder);
        dialog->reject();
    });
    QTest::mouseClick(child<QPushButton>("cmdFolder"), Qt::LeftButton);
    waitForList();
    EXPECT_EQ(child<QLabel>("lblFolder")->toolTip(), QDir::toNativeSeparators(collection()));
    EXPECT_EQ(rows().size(), 5);

    // Another folder, read slowly: nothing counted of the one before meanwhile.
    QDir(folder.root()).mkdir(u"slow"_s);
    for (int i = 0; i < 20; ++i)
        patch(u"../slow/%1.vkp"_s.arg(i), u";CX70v50\r\n;Медленный %1\r\n1000: 10 5E\r\n"_s.arg(i));
    window.findChild<FolderLister *>()->setBeforeEachFile([] { QThread::msleep(50); });
    dropFiles(list()->viewport(), {QDir::cleanPath(collection() + u"/../slow"_s)});
    EXPECT_EQ(count(), u"Читаю папку…"_s);
    window.findChild<FolderLister *>()->setBeforeEachFile({});
    waitForList();
    EXPECT_EQ(count(), u"Показано 20 из 20."_s);

    // Enter held down appends once; a patch for another firmware dropped is said so.
    selectRow(0);
    QTest::sendKeyEvent(QTest::Press, list(), Qt::Key_Return, QString(), Qt::NoModifier);
    QKeyEvent again(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(list(), &again);
    EXPECT_EQ(patchText().count(u";CX70v50"_s), 1);
    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    dropFiles(list()->viewport(), {collection() + u"/2040-Big font.vkp"_s});
    WAIT_FOR(!shown.text.isEmpty());
    EXPECT_TRUE(shown.text.startsWith(u"Патч добавлен, но он написан не для этого телефона или прошивки."_s)) << shown.text.toStdString();
}

// A folder chosen that cannot be listed is not taken: the one in use stays,
// and the person is told why; one in use that can no longer be is let go.
TEST(FolderTabAlone, KeepsTheFolderInUseWhenAChoiceCannotBeListed)
{
    const QTemporaryDir root;
    writeMadeUp(root.filePath(u"small"_s), madeUpPatches(3, 1 << 20, 2));
    QWidget page;
    FolderTab::Widgets widgets{new QPushButton(&page), new QLabel(&page), new QLineEdit(&page), new QListView(&page), new QLabel(&page)};
    QStringList failed;
    FolderTab tab(widgets, {[&](const Failure &failure) { failed += failure.reason; }, [](const Failure &) {}, [](const QString &) {}, {}});
    const QString small = QDir::toNativeSeparators(root.filePath(u"small"_s));
    const struct {
        const char *name;
        QString chosen; // empty: the folder in use looked at again
        QString shown;
        QStringList failed;
    } steps[] = {
        {"chosen", small, small, {}},
        {"a missing one chosen", root.filePath(u"missing"_s), small, {u"папка не найдена"_s}},
        {"gone while in use", {}, {}, {u"папка не найдена"_s}},
    };
    for (const auto &step : steps) {
        failed.clear();
        if (step.chosen.isEmpty()) {
            QDir(small).removeRecursively();
            tab.refresh(std::nullopt);
        } else {
            tab.choose(step.chosen, std::nullopt);
        }
        EXPECT_TRUE(waitUntil([&] { return !tab.busy(); })) << step.name;
        EXPECT_EQ(widgets.folder->toolTip(), step.shown) << step.name;
        EXPECT_EQ(widgets.list->model()->rowCount(), step.shown.isEmpty() ? 0 : 3) << step.name;
        EXPECT_EQ(failed, step.failed) << step.name;
    }
}

// The whole collection chosen, with no folder for this phone: the phones'
// folders it has, five by name and how many more.
TEST_F(FolderOfPatches, NamesFiveOfTheCollectionsFoldersAndCountsTheRest)
{
    const struct {
        int folders;
        const char *said; // the end of what is said
    } cases[] = {
        {5, "C1v1, C2v1, C3v1, C4v1, C5v1. Выберите папку CX70v50."},
        {6, "C1v1, C2v1, C3v1, C4v1, C5v1 и ещё 1. Выберите папку CX70v50."},
    };
    // All made first: the dialog may not see a folder made after it looked.
    for (const auto &c : cases) {
        for (int i = 1; i <= c.folders; ++i)
            QDir().mkpath(folder.root() + u"/all%1/C%2v1"_s.arg(c.folders).arg(i));
    }
    for (const auto &c : cases) {
        Shown shown;
        whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
        chooseFolder(folder.root() + u"/all%1"_s.arg(c.folders));
        WAIT_FOR(!shown.text.isEmpty());
        EXPECT_TRUE(shown.text.endsWith(QString::fromUtf8(c.said))) << shown.text.toStdString();
    }
}

// Two patches of 300 records each that write the same bytes: named once.
TEST_F(FolderOfPatches, TheBoxBeforeAFlashSpeaksOfPatchesNotLines)
{
    QString first = u";CX70v50\r\n;Первый\r\n"_s, second = u";CX70v50\r\n;Второй\r\n"_s;
    for (int r = 0; r < 300; ++r) {
        first += u"%1: 00 01\r\n"_s.arg(0x2000 + 2 * r, 0, 16);
        second += u"%1: 0000 0202\r\n"_s.arg(0x2000 + 2 * r, 0, 16);
    }
    patch(u"1-first.vkp"_s, first);
    patch(u"2-second.vkp"_s, second);
    dropFiles(child<QPlainTextEdit>("txtPath")->viewport(), {collection() + u"/2-second.vkp"_s, collection() + u"/1-first.vkp"_s});
    QString box;
    whenMessageBox([&](QMessageBox *shown) {
        box = shown->text();
        shown->close();
    });
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_EQ(box.count(u"• "_s), 1) << box.toStdString();
    EXPECT_TRUE(box.contains(u"• патчи «Первый» и «Второй» пишут в одни и те же 300 байт, первый из них по адресу 00002000"_s))
        << box.toStdString();
}

// A wait that never ends well fails the test, where QTRY_VERIFY passed it.
TEST(Waiting, InVainFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(WAIT_FOR_WITHIN(false, 100), "waited in vain for false");
}

// The line under the list, for each count as Russian says it; every file of
// the folder counted in it.
TEST(CountLine, SaysEachCountInItsOwnForm)
{
    const struct {
        qint64 n;
        const char *withPatches; // beside 3 patches shown of 3
        const char *alone;       // in a folder with no patch
        const char *named;       // files named otherwise, beside 3 patches
    } cases[] = {
        {1, "Показано 3 из 3. Ещё 1 файл в папке — не патч.", "В папке нет патчей: 1 файл в ней — не патч.",
         "Показано 3 из 3. Ещё 1 файл с именем в другой кодировке: программа не может его открыть, переименуйте его."},
        {2, "Показано 3 из 3. Ещё 2 файла в папке — не патчи.", "В папке нет патчей: 2 файла в ней — не патчи.",
         "Показано 3 из 3. Ещё 2 файла с именами в другой кодировке: программа не может их открыть, переименуйте их."},
        {5, "Показано 3 из 3. Ещё 5 файлов в папке — не патчи.", "В папке нет патчей: 5 файлов в ней — не патчи.",
         "Показано 3 из 3. Ещё 5 файлов с именами в другой кодировке: программа не может их открыть, переименуйте их."},
        {11, "Показано 3 из 3. Ещё 11 файлов в папке — не патчи.", "В папке нет патчей: 11 файлов в ней — не патчи.",
         "Показано 3 из 3. Ещё 11 файлов с именами в другой кодировке: программа не может их открыть, переименуйте их."},
        {21, "Показано 3 из 3. Ещё 21 файл в папке — не патч.", "В папке нет патчей: 21 файл в ней — не патч.",
         "Показано 3 из 3. Ещё 21 файл с именем в другой кодировке: программа не может его открыть, переименуйте его."},
        {101, "Показано 3 из 3. Ещё 101 файл в папке — не патч.", "В папке нет патчей: 101 файл в ней — не патч.",
         "Показано 3 из 3. Ещё 101 файл с именем в другой кодировке: программа не может его открыть, переименуйте его."},
        {111, "Показано 3 из 3. Ещё 111 файлов в папке — не патчи.", "В папке нет патчей: 111 файлов в ней — не патчи.",
         "Показано 3 из 3. Ещё 111 файлов с именами в другой кодировке: программа не может их открыть, переименуйте их."},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(countLine({true, false, 3, 3, int(c.n), 0, {}}), QString::fromUtf8(c.withPatches)) << c.n;
        EXPECT_EQ(countLine({true, false, 0, 0, int(c.n), 0, {}}), QString::fromUtf8(c.alone)) << c.n;
        EXPECT_EQ(countLine({true, false, 3, 3, 0, int(c.n), {}}), QString::fromUtf8(c.named)) << c.n;
    }
    const struct {
        const char *name;
        FolderCount count;
        const char *said;
    } states[] = {
        {"none chosen", {}, "Выберите папку с патчами или перетащите её сюда."},
        {"being read, after a folder with others", {true, true, 3, 3, 5, 2, {}}, "Читаю папку…"},
        {"no patch, nothing else", {true, false, 0, 0, 0, 0, {}}, "В папке нет патчей."},
        {"filtered", {true, false, 0, 238, 0, 0, {}}, "Показано 0 из 238."},
        {"only phone folders", {true, false, 0, 0, 0, 0, {u"S65v58"_s}}, "В папке нет патчей, а есть папки для других телефонов: S65v58."},
        {"phone folders and a readme", {true, false, 0, 0, 1, 0, {u"S65v58"_s}},
         "В папке нет патчей: 1 файл в ней — не патч. Есть папки для других телефонов: S65v58."},
        {"only names in another encoding", {true, false, 0, 0, 0, 2, {}},
         "2 файла с именами в другой кодировке: программа не может их открыть, переименуйте их."},
        {"not patches and names in another encoding", {true, false, 238, 238, 111, 21, {}},
         "Показано 238 из 238. Ещё 111 файлов — не патчи, 21 — с именем в другой кодировке: переименуйте его, чтобы открыть."},
        {"the same, more", {true, false, 238, 238, 1, 25, {}},
         "Показано 238 из 238. Ещё 1 файл — не патч, 25 — с именами в другой кодировке: переименуйте их, чтобы открыть."},
    };
    for (const auto &s : states)
        EXPECT_EQ(countLine(s.count), QString::fromUtf8(s.said)) << s.name;
}
