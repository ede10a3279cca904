// The window with a full-flash backup in use: chosen in its dialog or
// dropped, each entry marked, the box before a flash, and a backup that goes.
// Words from the bytes the tests write into their made-up backup.
#include "copyafterflash.h"
#include "livetext/patchtextedit.h"
#include "livetext/textchecker.h"
#include "support/printers.h"
#include "support/script.h"
#include "support/wait.h"
#include "support/windowdriver.h"

#include <QTextBlock>
#include <QAbstractScrollArea>
#include <QContextMenuEvent>
#include <QDeadlineTimer>
#include <QListView>
#include <QMenu>
#include <QTabWidget>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

// Six patches of the last tab, one for each state against the backup.
class WindowWithBackup : public Window
{
protected:
    WindowWithBackup()
    {
        folder.write(u"o0.h"_s, "; applied\r\n1000: 10 5E");
        folder.write(u"o1.h"_s, "; fits\r\n1010: 10 5E");
        folder.write(u"o2.h"_s, "; half\r\n1020: 10 5E\r\n1030: 10 5E");
        folder.write(u"o3.h"_s, "; foreign\r\n1040: 1020 5E5F");
        folder.write(u"o4.h"_s, "; another phone\r\n+A0000000\r\n123456: 01\r\n+0");
        folder.write(u"o5.h"_s, "; nothing yet");
        QByteArray flash(2 * 1024 * 1024, '\x33');
        flash[0x1000] = '\x5E';
        flash[0x1010] = '\x10';
        flash[0x1020] = '\x5E';
        flash[0x1030] = '\x10';
        folder.write(u"../full.bin"_s, flash);
        folder.write(u"../small.bin"_s, "not a flash");
        comeBack(); // the files came while the window was away
    }

    QString beside(const QString &name) const { return QDir::cleanPath(folder.path() + u"/../"_s + name); }
    QString backupLabel() { return child<QLabel>("lblBackup")->text(); }
    // An entry of the last tab: its mark, and what a screen reader hears of it.
    std::pair<QImage, QString> entry(int row)
    {
        const QListWidgetItem *item = child<QListWidget>("lstOther")->item(row);
        return {item->icon().pixmap(16).toImage(), item->data(Qt::AccessibleDescriptionRole).toString()};
    }
    void useBackup() { dropFiles(child<QListWidget>("lstOther")->viewport(), {beside(u"full.bin"_s)}); }
};

} // namespace

TEST_F(WindowWithBackup, MarksEachEntryAndSaysWhereItsPatchStands)
{
    useBackup();
    const struct {
        int row;
        const char *words;
    } rows[] = {
        {0, "Патч уже есть в копии прошивки «full.bin».\n\napplied"},
        {1, "Патча нет в копии прошивки «full.bin»,\nи он к ней подходит.\n\nfits"},
        {2, "Патч есть в копии прошивки «full.bin» лишь отчасти:\nзаписано 1 из 2 записей, остальные к ней подходят.\n\nhalf"},
        {3, "Патч не для этой прошивки: не прошивайте его.\nВ строке 2 по адресу 00001040 он ждёт 10 20,\n"
            "а в копии прошивки «full.bin» там 33 33.\n\nforeign"},
        {4, "Патч пишет за концом копии прошивки «full.bin» (2 МиБ):\nстрока 3, адрес A0123456. Видимо, он для другого телефона."
            "\n\nanother phone"},
        {5, "В патче нет записей: сверять с копией прошивки нечего.\n\nnothing yet"},
        {6, "Файла o6.h нет в папке программы\n"},
    };
    QList<QImage> marks;
    for (const auto &r : rows) {
        const auto [mark, about] = entry(r.row);
        EXPECT_TRUE(about.startsWith(QString::fromUtf8(r.words))) << about.toStdString();
        // Each state a mark of its own; every entry keeps room for one, so
        // that the captions line up.
        EXPECT_EQ(mark.size(), QSize(16, 16)) << r.row;
        if (r.row < 5) {
            EXPECT_FALSE(marks.contains(mark)) << r.row;
            marks += mark;
        }
    }
    EXPECT_EQ(backupLabel(), u"Копия: full.bin"_s);
    EXPECT_EQ(child<QWidget>("cmdBackup")->accessibleDescription(), u"Копия: full.bin"_s);
    EXPECT_TRUE(child<QToolButton>("cmdNoBackup")->isVisible());
}

// Its button (Ctrl+O) opens it; Отмена takes nothing. The dialog outlives the windows that
// showed it: Qt writes the folders it visited into the user's settings when
// it is destroyed, and the program keeps no settings.
TEST_F(WindowWithBackup, IsChosenInItsDialogWhichKeepsNoSettings)
{
    const QSettings qtSettings(QSettings::UserScope, u"QtProject"_s);
    const QFileInfo qtSettingsFile(qtSettings.fileName());
    const QDateTime qtSettingsTime = qtSettingsFile.exists() ? qtSettingsFile.lastModified() : QDateTime();
    EXPECT_EQ(child<QPushButton>("cmdBackup")->shortcut(), QKeySequence(u"Ctrl+O"_s));
    const struct {
        const char *answer;
        bool accept;
        const char *label;
    } answers[] = {
        {"Отмена", false, "Копия прошивки не выбрана"},
        {"Сверить", true, "Копия: full.bin"},
    };
    QPointer<QFileDialog> shownDialog;
    for (const auto &a : answers) {
        whenModal<QFileDialog>([&](QFileDialog *dialog) {
            shownDialog = dialog;
            if (a.accept)
                chooseInDialog(dialog, beside(u"full.bin"_s));
            else
                dialog->reject();
        });
        QTest::mouseClick(child<QPushButton>("cmdBackup"), Qt::LeftButton);
        EXPECT_EQ(backupLabel(), QString::fromUtf8(a.label)) << a.answer;
        EXPECT_EQ(entry(0).first.isNull(), !a.accept) << a.answer;
    }
    {
        MainWindow another;
        another.show();
        whenModal<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
        QTest::mouseClick(another.findChild<QPushButton *>(u"cmdBackup"_s), Qt::LeftButton);
    }
    EXPECT_TRUE(shownDialog);
    EXPECT_EQ(qtSettingsFile.exists() ? QFileInfo(qtSettings.fileName()).lastModified() : QDateTime(), qtSettingsTime);
    EXPECT_EQ(QFileInfo::exists(qtSettings.fileName()), qtSettingsFile.exists());
}

// Before a flash: what does not fit, with the bytes it expects and those found.
TEST_F(WindowWithBackup, TheBoxBeforeAFlashNamesWhatDoesNotFit)
{
    useBackup();
    child<QPlainTextEdit>("txtPath")->setPlainText(u"1010: 10 5E\r\n1040: 1020 5E5F"_s);
    QString box;
    whenMessageBox([&](QMessageBox *shown) {
        box = shown->text();
        shown->close();
    });
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_TRUE(box.contains(u"• запись в строке 2 не подходит к копии прошивки «full.bin»: по адресу 00001040 патч ждёт "
                             u"10 20, а там 33 33, — патч написан для другой прошивки"_s)) << box.toStdString();
    EXPECT_FALSE(folder.exists(u"tmp.vkp"_s));
}

// As the person types: a record that does not fit marked and named among
// the findings within a moment of the pause, with no box; F8 to the next
// finding; Tab from one placeholder of a template to the next.
TEST_F(WindowWithBackup, MarksTheTextAsItIsTyped)
{
    useBackup();
    auto *edit = child<PatchTextEdit>("txtPath");
    const auto settled = [&] { return waitUntil([&] { return !window.findChild<TextChecker *>()->busy(); }); };
    const auto marks = [&] {
        QStringList said;
        for (const MarkedLine &line : edit->check().lines)
            said += u"%1:%2"_s.arg(line.line).arg(int(line.mark));
        return said.join(u' ');
    };
    const struct {
        const char *name;
        const char *typed;
        QString marks; // line:LineMark
        QString finding;
    } rows[] = {
        {"for another firmware", "1040: 1020 5E5F", u"1:%1"_s.arg(int(LineMark::DoesNotFit)),
         u"Строка 1: запись в строке 1 не подходит к копии прошивки «full.bin»"_s},
        {"and one that fits", "|1010: 10 5E", u"1:%1 2:%2"_s.arg(int(LineMark::DoesNotFit)).arg(int(LineMark::Fits)), {}},
        {"and one the tool cannot read", "|xyz", u"1:%1 2:%2 3:%3"_s.arg(int(LineMark::DoesNotFit)).arg(int(LineMark::Fits)).arg(int(LineMark::Unreadable)),
         u"Строка 3: строку 3 прошивальщик не прочтёт"_s},
    };
    edit->setFocus();
    for (const auto &row : rows) {
        // A line end is Return, as typed.
        const QStringList lines = QString::fromUtf8(row.typed).split(u'|');
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(edit, Qt::Key_Return);
            QTest::keyClicks(edit, lines[i]);
        }
        ASSERT_TRUE(settled()) << row.name;
        EXPECT_EQ(marks(), row.marks) << row.name;
        const QString findings = [&] {
            QStringList all;
            for (int i = 0; i < edit->findings()->count(); ++i)
                all += edit->findings()->item(i)->text();
            return all.join(u'\n');
        }();
        EXPECT_TRUE(findings.contains(row.finding)) << row.name << ": " << findings.toStdString();
    }
    // From the end to the first finding, then on.
    QTest::keyClick(edit, Qt::Key_F8);
    EXPECT_EQ(edit->textCursor().blockNumber() + 1, 1);
    EXPECT_TRUE(edit->findings()->isVisible());
    QTest::keyClick(edit, Qt::Key_F8);
    EXPECT_EQ(edit->textCursor().blockNumber() + 1, 3);
    QTest::keyClick(edit, Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(edit->textCursor().blockNumber() + 1, 1);

    // A template: Tab and Shift+Tab select its placeholders in turn; without any, Tab leaves the text.
    edit->setPlainText(u"; nn: the tune\n1010: 10 nn\n1020: 10 XX ; x\n"_s);
    edit->moveCursor(QTextCursor::Start);
    const std::pair<Qt::KeyboardModifiers, const char *> steps[] = {
        {Qt::NoModifier, "nn"}, {Qt::NoModifier, "XX"}, {Qt::NoModifier, "nn"}, {Qt::ShiftModifier, "XX"}};
    for (const auto &[modifiers, selected] : steps) {
        QTest::keyClick(edit, Qt::Key_Tab, modifiers);
        EXPECT_EQ(edit->textCursor().selectedText(), QLatin1String(selected));
        EXPECT_TRUE(edit->hasFocus());
    }
    edit->setPlainText(u"1010: 10 5E"_s);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_FALSE(edit->hasFocus());

    // A line's menu offers what applies there; each edit is one step back.
    const QString applied = u";CX70v50\n;Часы\n1010: 5E 10\n"_s;
    const struct {
        QString text;
        int line;
        const char *choose;
        QStringList offered;
        QString after;
    } menus[] = {
        {u";CX70v50\n;Часы\n1010: 5E\n"_s, 3, "Заполнить", {u"Заполнить старые байты записи из копии"_s, u"Снять патч «Часы» с телефона"_s},
         u";CX70v50\n;Часы\n1010: 10 5E\n"_s},
        {applied + applied + u";CX70v50\n;Будильник\n"_s, 5, "Убрать",
         {u"Снять патч «Часы» с телефона"_s, u"Убрать повтор патча «Часы» (строки 4–6)"_s}, applied + u";CX70v50\n;Будильник\n"_s},
        {applied + applied.chopped(1), 6, "Убрать", {u"Снять патч «Часы» с телефона"_s, u"Убрать повтор патча «Часы» (строки 4–6)"_s},
         applied.chopped(1)},
        {applied + u";CX70v50\n;Будильник\n1020: 5E 10\n"_s, 1, "Снять", {u"Снять патч «Часы» с телефона"_s},
         applied + u";CX70v50\n;Будильник\n1020: 5E 10\n\n;CX70v50\n;Снимает с телефона патч «Часы»\n;Часы\n1010: 10 5E\n"_s},
        {u"; mine\n1010: 5E\n"_s, 1, "", {}, u"; mine\n1010: 5E\n"_s},
    };
    for (const auto &row : menus) {
        edit->setPlainText(row.text);
        const QPoint at = edit->cursorRect(QTextCursor(edit->document()->findBlockByNumber(row.line - 1))).center();
        QStringList offered = useMenuAt(edit->viewport(), at, QString::fromUtf8(row.choose)).enabled;
        offered.removeIf([](const QString &item) { return !item.contains(u"атч") && !item.contains(u"байты"); });
        EXPECT_EQ(offered, row.offered) << row.line;
        EXPECT_EQ(edit->toPlainText(), row.after) << row.line;
        edit->undo();
        EXPECT_EQ(edit->toPlainText(), row.text) << row.line;
    }
}

// What a drop of what is no patch does, wherever on the window it lands:
// the text is never touched.
TEST_F(WindowWithBackup, TakesADroppedFileForTheBackupOrSaysWhyNot)
{
    const QString text = u"1010: 10 5E"_s;
    child<QPlainTextEdit>("txtPath")->setPlainText(text);
    const struct {
        const char *name;
        const char *on;
        QStringList files;
        const char *box; // what it says, in part, or nothing
        const char *label;
    } drops[] = {
        {"no backup and no patch, on the text", "txtPath", {u"small.bin"_s},
         "Не удалось сверить патчи с копией прошивки.\n\nФайл: %1\nПричина: в файле 11 Б, а полная копия прошивки занимает "
         "десятки МиБ: выберите файл, который прошивальщик записал при чтении всей памяти телефона; и это не патч: в нём нет "
         "ни одной записи «адрес: байты», так что ничего не добавлено.",
         "Копия прошивки не выбрана"},
        {"a backup, on the text", "txtPath", {u"full.bin"_s}, nullptr, "Копия: full.bin"},
        {"no backup while one is in use", "lstOther", {u"small.bin"_s}, "Не удалось сверить патчи с копией прошивки.", "Копия: full.bin"},
        {"two files at once, neither a backup", "lstOther", {u"small.bin"_s, u"gone.bin"_s},
         "«gone.bin» не добавлен и не взят копией прошивки: файл не найден.\n\n"
         "«small.bin» не добавлен и не взят копией прошивки: в нём нет ни одной записи «адрес: байты»; в файле 11 Б",
         "Копия: full.bin"},
    };
    for (const auto &d : drops) {
        SCOPED_TRACE(d.name);
        Shown shown;
        if (d.box)
            whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
        QStringList files;
        for (const QString &file : d.files)
            files += beside(file);
        dropFiles(child<QAbstractScrollArea>(d.on)->viewport(), files);
        if (d.box) {
            WAIT_FOR(!shown.text.isEmpty());
            const QString box = QString::fromUtf8(d.box).arg(QDir::toNativeSeparators(files.front()));
            EXPECT_TRUE(shown.text.startsWith(box)) << shown.text.toStdString();
        }
        EXPECT_EQ(backupLabel(), QString::fromUtf8(d.label));
        EXPECT_EQ(patchText(), text);
    }
}

// ✕ stops using it; gone while the window was away, it is said when the
// window is back; gone before a hand-over, nothing is handed over.
TEST_F(WindowWithBackup, StopsBeingUsedWhenStoppedOrGone)
{
    useBackup();
    QTest::mouseClick(child<QToolButton>("cmdNoBackup"), Qt::LeftButton);
    EXPECT_TRUE(entry(0).first.isNull());
    EXPECT_EQ(entry(0).second, u"applied"_s);
    EXPECT_EQ(backupLabel(), u"Копия прошивки не выбрана"_s);
    EXPECT_FALSE(child<QToolButton>("cmdNoBackup")->isVisible());

    useBackup();
    EXPECT_FALSE(entry(0).first.isNull());
    ASSERT_TRUE(activate(elsewhere));
    QFile::remove(beside(u"full.bin"_s));
    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    ASSERT_TRUE(activate(window));
    WAIT_FOR(shown.text.startsWith(u"Копия прошивки больше не читается, и сверка с ней выключена."_s));
    EXPECT_TRUE(shown.text.contains(u"файл не найден"_s));
    EXPECT_TRUE(entry(0).first.isNull());
    EXPECT_EQ(backupLabel(), u"Копия прошивки не выбрана"_s);

    // Gone, and first found so by the listing of a folder dropped: the
    // entries of the tabs lose their marks too.
    folder.write(u"../full.bin"_s, QByteArray(2 * 1024 * 1024, '\x33'));
    useBackup();
    QDir(folder.root()).mkdir(u"patches"_s);
    folder.write(u"../patches/1.vkp"_s, ";CX70v50\r\n;Один\r\n1000: 10 5E\r\n");
    EXPECT_FALSE(entry(0).first.isNull());
    QFile::remove(beside(u"full.bin"_s));
    shown = {};
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    dropFiles(child<QListWidget>("lstOther")->viewport(), {beside(u"patches"_s)});
    WAIT_FOR(!shown.text.isEmpty());
    EXPECT_TRUE(shown.text.startsWith(u"Копия прошивки больше не читается"_s)) << shown.text.toStdString();
    EXPECT_TRUE(entry(0).first.isNull());
    EXPECT_FALSE(entry(0).second.contains(u"full.bin"_s));
}

TEST_F(WindowWithBackup, HandsNothingOverWhenTheBackupHasGone)
{
    useBackup();
    folder.write(u"shell.bat"_s, markerScript());
    folder.write(u"stop"_s, "");
    child<QPlainTextEdit>("txtPath")->setPlainText(u"1010: 10 5E"_s);
    QFile::remove(beside(u"full.bin"_s));
    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_TRUE(shown.text.startsWith(u"Копия прошивки больше не читается, и сверка с ней выключена. Патч не передан"_s))
        << shown.text.toStdString();
    EXPECT_EQ(backupLabel(), u"Копия прошивки не выбрана"_s);
    QTest::qWait(300);
    EXPECT_FALSE(folder.exists(u"tmp.vkp"_s));
    EXPECT_FALSE(folder.exists(u"started"_s));
}

// From an entry's menu, or Shift+Enter on it: what the backup holds of the
// patch is taken off, record by record; a patch with nothing on the phone
// appends nothing and says why.
TEST_F(WindowWithBackup, TakesAPatchOffFromItsMenuOrWithShiftEnter)
{
    auto *list = child<QListWidget>("lstOther");
    EXPECT_EQ(useMenu(list, 0, QString()).enabled,
              (QStringList{u"Добавить"_s, u"Снять с телефона"_s}));
    // Ctrl+S without a backup says what it needs, after the menu too.
    ASSERT_TRUE(activate(window)); // the offscreen platform leaves the closed menu the focus
    Shown needs;
    whenMessageBox([&](QMessageBox *box) { needs = readAndAccept(box); });
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return !needs.text.isEmpty(); }));
    EXPECT_TRUE(needs.text.startsWith(u"Копия после прошивки — это копия прошивки с записанным в неё текстом"_s));
    useBackup();
    const MenuSeen seen = useMenu(list, 0, u"Снять с телефона"_s);
    EXPECT_EQ(seen.items, (QStringList{u"Добавить\tEnter"_s, u"Снять с телефона\tShift+Enter"_s,
                                       u"Добавить со старыми байтами из копии"_s, u""_s,
                                       u"Сохранить копию после прошивки…\tCtrl+S"_s}));
    EXPECT_EQ(seen.enabled.size(), 4);
    EXPECT_EQ(patchText(), u"\r\n;Снимает с телефона патч «applied»\r\n; applied\r\n1000: 5E 10\r\n"_s);

    // Half of it on the phone: that half.
    ASSERT_TRUE(activate(window));
    list->setFocus();
    list->setCurrentRow(2);
    QTest::keyClick(list, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(patchText().endsWith(u"\r\n;Снимает с телефона патч «half»\r\n; half\r\n1020: 5E 10\r\n\r\n"_s)) << patchText().toStdString();

    const QString before = patchText();
    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    list->setCurrentRow(1);
    QTest::keyClick(list, Qt::Key_Enter, Qt::ShiftModifier | Qt::KeypadModifier);
    ASSERT_TRUE(waitUntil([&] { return !shown.text.isEmpty(); }));
    EXPECT_EQ(shown.text, u"Не удалось снять патч с телефона: ничего не добавлено.\n\nФайл: %1\nПричина: ни одной его записи нет в "
                          u"копии прошивки «full.bin»: патча нет на телефоне, и снимать нечего."_s
                              .arg(QDir::toNativeSeparators(folder.file(u"o1.h"_s))));
    EXPECT_EQ(patchText(), before);

    // The backup gone meanwhile: said, no longer used, unmarked, nothing appended.
    ASSERT_TRUE(activate(window)); // the offscreen platform leaves the closed box the focus
    list->setFocus();
    QFile::remove(beside(u"full.bin"_s));
    shown = {};
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    list->setCurrentRow(0);
    QTest::keyClick(list, Qt::Key_Return, Qt::ShiftModifier);
    ASSERT_TRUE(waitUntil([&] { return !shown.text.isEmpty(); }));
    EXPECT_TRUE(shown.text.startsWith(u"Копия прошивки больше не читается, и сверка с ней выключена."_s)) << shown.text.toStdString();
    EXPECT_EQ(backupLabel(), u"Копия прошивки не выбрана"_s);
    EXPECT_EQ(patchText(), before);
    EXPECT_TRUE(entry(0).first.isNull()); // its marks went with it
}

// A patch without old bytes appended with those the backup holds, from any
// tab; the check before a flash then finds it fits and says nothing.
TEST_F(WindowWithBackup, AppendsAPatchWithTheOldBytesOfTheBackup)
{
    QDir().mkpath(beside(u"patches"_s));
    folder.write(u"../patches/1-no_old.vkp"_s, ";CX70v50\r\n;No old bytes\r\n1040: 5E5F ; two\r\n");
    useBackup();
    child<QTabWidget>("SSTab1")->setCurrentIndex(3);
    const QString patches = beside(u"patches"_s);
    dropFiles(child<QListView>("lstFolder")->viewport(), {patches});
    auto *list = child<QListView>("lstFolder");
    ASSERT_TRUE(waitUntil([&] { return list->model()->rowCount() == 1; }));
    useMenu(list, 0, u"Добавить со старыми байтами из копии"_s);
    EXPECT_EQ(patchText(), u"\r\n;CX70v50\r\n;No old bytes\r\n1040: 3333 5E5F ; two\r\n"_s);

    folder.write(u"shell.bat"_s, markerScript());
    QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
    EXPECT_TRUE(waitForFile(folder.file(u"started"_s)));
}

// Ctrl+S: the backup with the whole text written, saved under the name the
// user gives and used from then on, so that every patch of the text is marked
// as on the phone; a text the tool would not write as it stands saves nothing.
TEST_F(WindowWithBackup, SavesTheCopyAfterAFlashAndGoesOnWithIt)
{
    useBackup();
    pick(2, "lstOther", 1);
    pick(2, "lstOther", 2);
    const QString copy = beside(u"after.bin"_s);
    QString suggested;
    whenModal<QFileDialog>([&](QFileDialog *dialog) {
        suggested = dialog->selectedFiles().value(0);
        chooseInDialog(dialog, copy);
    });
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return backupLabel() == u"Копия: after.bin"_s; })) << backupLabel().toStdString();
    EXPECT_EQ(QFileInfo(suggested).fileName(), u"full-после-прошивки.bin"_s);
    QByteArray expected(2 * 1024 * 1024, '\x33');
    for (const int at : {0x1000, 0x1010, 0x1020, 0x1030})
        expected[at] = '\x5E';
    {
        // Closed again: Windows would not let the copy be saved over a file held open.
        QFile written(copy);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_TRUE(written.readAll() == expected);
    }
    for (const int row : {0, 1, 2})
        EXPECT_TRUE(entry(row).second.startsWith(u"Патч уже есть в копии прошивки «after.bin»."_s)) << row;

    // Taken off again against the copy, and saved over it: as it was.
    child<QPushButton>("cmdClear")->click();
    useMenu(child<QListWidget>("lstOther"), 1, u"Снять с телефона"_s);
    ASSERT_TRUE(activate(window)); // the offscreen platform leaves the closed menu the focus
    whenModal<QFileDialog>([&](QFileDialog *dialog) { chooseInDialog(dialog, copy); });
    bool askedToReplace = false;
    whenMessageBox([&](QMessageBox *box) {
        // The program's own question, which names both risks.
        askedToReplace = box->defaultButton() == box->button(QMessageBox::No)
            && box->text().contains(u"единственная запись того, что было на телефоне до прошивки"_s)
            && box->text().contains(u"если прошивка ещё не сделана или не удалась"_s);
        box->button(QMessageBox::Yes)->click();
    });
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return askedToReplace && entry(1).second.startsWith(u"Патча нет"_s); }))
        << entry(1).second.toStdString();
    EXPECT_EQ(backupLabel(), u"Копия: after.bin"_s);

    // Not as the tool would write it: said, and no copy and no dialog.
    child<QPushButton>("cmdClear")->click();
    pick(2, "lstOther", 3);
    ASSERT_TRUE(activate(window));
    Shown shown;
    whenMessageBox([&](QMessageBox *box) { shown = readAndAccept(box); });
    QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitUntil([&] { return !shown.text.isEmpty(); }));
    EXPECT_TRUE(shown.text.startsWith(u"Копия после прошивки не сохранена: прошивальщик запишет этот текст не так, как он написан."_s))
        << shown.text.toStdString();
    EXPECT_TRUE(shown.text.contains(u"запись в строке 3 не подходит к копии прошивки «after.bin»"_s)) << shown.text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(beside(u"after-после-прошивки.bin"_s)));
}

// The name offered for the copy: beside the backup, never over a file there,
// and a copy of a copy does not grow it.
TEST(CopyAfterFlash, OffersANameThatNeitherReplacesNorGrows)
{
    const QTemporaryDir dir;
    const struct {
        const char *backup;
        QStringList there;
        const char *offered;
    } cases[] = {
        {"full.bin", {}, "full-после-прошивки.bin"},
        {"full", {}, "full-после-прошивки.bin"},
        {"full.bin", {u"full-после-прошивки.bin"_s}, "full-после-прошивки-2.bin"},
        {"full-после-прошивки.bin", {u"full-после-прошивки.bin"_s}, "full-после-прошивки-2.bin"},
        {"full-после-прошивки-2.bin", {u"full-после-прошивки.bin"_s, u"full-после-прошивки-2.bin"_s}, "full-после-прошивки-3.bin"},
        {"mine.after.bin", {}, "mine.after-после-прошивки.bin"},
    };
    for (const auto &c : cases) {
        const QString folder = dir.filePath(QString::fromUtf8(c.backup) + u".d"_s);
        QDir().mkpath(folder);
        for (const QString &name : c.there)
            QFile(folder + u'/' + name).open(QIODevice::WriteOnly);
        EXPECT_EQ(offeredCopyName(folder + u'/' + QString::fromUtf8(c.backup)), folder + u'/' + QString::fromUtf8(c.offered)) << c.backup;
    }
}
