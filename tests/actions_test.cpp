// What a person does, in any order: folders chosen and dropped, patches and a
// backup dropped alone and together, the window brought back, the filter
// typed in, patches appended, taken off and filled in from an entry's menu
// (now and then while a folder listed meanwhile replaces its rows), the text
// cleared, typed in, pasted and cut while a check of it may run, a backup
// chosen and put away, the copy after a flash saved and used, the text
// handed over and the box answered either way; listings slowed now and
// then, so that one action lands while another runs. After every step, what
// must hold: among it, the marks of the text are what a check from scratch
// says. A failure prints the seed and the steps; another seed, or more
// steps: KELVARINE_ACTIONS_SEED and KELVARINE_ACTIONS_STEPS.
#include "backupinuse.h"
#include "folderlister.h"
#include "livetext/patchtextedit.h"
#include "livetext/textchecker.h"
#include "runtime/codepage.h"
#include "support/madeup.h"
#include "support/printers.h"
#include "support/wait.h"
#include "support/windowdriver.h"

#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <map>
#include <random>
#include <set>

using namespace Qt::StringLiterals;

namespace {

constexpr int pathRole = Qt::UserRole + 1; // where the fourth tab keeps a row's file
constexpr int folderTab = 3;
// Longer than any step should keep a person waiting, with room for a slow
// machine and the sanitizers.
constexpr qint64 longestStepMs = 4000;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString fileText(const QString &path)
{
    return decodeCodePage(fileBytes(path));
}

class Actions : public Window, public ::testing::WithParamInterface<unsigned>
{
protected:
    Actions()
    {
        const QString root = folder.root();
        // The twenty: most present, a few missing, two writing the same bytes.
        for (const char *name : {"d0", "d1", "d2", "d4", "d8", "f0", "f1", "o0", "o2", "o3", "o5", "o7"}) {
            const QByteArray n(name);
            const QByteArray address = n == "o5" ? "1000" : QByteArray::number(0x2000 + (n[0] * 16 + n[1]) * 2, 16);
            folder.write(QString::fromLatin1(n + ".h"), "; entry " + n + "\r\n" + address + ": 10 5E\r\n");
        }
        m_madeUp[at(u"small"_s)] = madeUpPatches(12, 1 << 20, 4);
        m_madeUp[at(u"large"_s)] = madeUpPatches(238, 1 << 20, 40);
        m_madeUp[at(u"collection/CX70v50"_s)] = madeUpPatches(20, 1 << 20, 4);
        for (const auto &[name, patches] : m_madeUp)
            writeMadeUp(name, patches);
        writeMadeUp(root + u"/collection/S65v58"_s, madeUpPatches(3, 1 << 20, 4));
        write(u"collection/readme.txt"_s, "The collection\r\n");
        write(u"full.bin"_s, madeUpFlash(m_madeUp[at(u"large"_s)], 2 << 20, {1, 2, 3}));
        write(u"loose/a-other-phone.vkp"_s, ";S65v58\r\n;Clock\r\n1000: 10 5E\r\n");
        write(u"loose/b-plain.vkp"_s, ";CX70v50\r\n;Plain\r\n1000: 10 5F\r\n1001: 10 5F\r\n");
        write(u"loose/c-template.vkp"_s, ";CX70v50\r\n;Template\r\n;1000: 10 xx\r\n");
        // Checks follow edits closely, so that many land while another runs.
        window.findChild<TextChecker *>()->setPause(20);
        // Boxes come at any time: each is read, and answered as the dice say.
        awaitModal(&QMessageBox::staticMetaObject, 1);
        QObject::connect(&m_boxes, &QTimer::timeout, [this] { answerBox(); });
        m_boxes.start(5);
    }
    ~Actions() override
    {
        awaitModal(&QMessageBox::staticMetaObject, -1);
    }

    void write(const QString &name, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(folder.root() + u'/' + name).path());
        QFile file(folder.root() + u'/' + name);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
    }
    QString at(const QString &name) const { return native(folder.root() + u'/' + name); }
    QString backupFile() const { return at(m_backupName); }

    void run(unsigned seed, int steps);

private:
    void step();
    void check(bool settle);
    void checkMarks();
    void answerBox();

    // The person's places: folders, the backup, patch files.
    // A folder that cannot be listed only comes by a drop: the dialog lets
    // no one choose it.
    QString pickFolder(bool dropped)
    {
        const QString folders[] = {u"small"_s, u"large"_s, u"collection"_s, u"missing"_s};
        if (!m_shown.isEmpty() && dice(4) == 0)
            return m_shown; // the same again
        return at(folders[dice(dropped ? 4 : 3)]);
    }
    // The folder the tab shows once `chosen` is listed, or none when it cannot be.
    QString listedAs(const QString &chosen) const
    {
        if (chosen == at(u"collection"_s))
            return at(u"collection/CX70v50"_s);
        return chosen == at(u"missing"_s) ? QString() : chosen;
    }
    void chose(const QString &chosen)
    {
        if (const QString listed = listedAs(chosen); !listed.isEmpty())
            m_shown = listed;
    }
    void appended(const QString &path)
    {
        if (QFileInfo::exists(path))
            m_text += u"\r\n"_s + fileText(path);
    }
    // A box that came up meanwhile holds the window back until it is
    // answered: then a second click.
    bool clickOn(QWidget &widget)
    {
        for (int click = 0; click < 2 && !widget.isActiveWindow(); ++click) {
            widget.activateWindow();
            waitUntil([&] { return widget.isActiveWindow(); }, 1500);
        }
        return widget.isActiveWindow();
    }
    int dice(int sides) { return int(m_dice() % unsigned(sides)); }
    void say(const QString &what) { m_steps += what; }

    QListView *folderList() { return child<QListView>("lstFolder"); }
    QString aboutRow(const QString &path)
    {
        QAbstractItemModel *rows = folderList()->model();
        for (int row = 0; row < rows->rowCount(); ++row) {
            if (rows->index(row, 0).data(pathRole).toString() == path)
                return rows->index(row, 0).data(Qt::AccessibleDescriptionRole).toString();
        }
        return {};
    }
    const MadeUpPatch *oneThatFits();
    QString countLine() { return child<QLabel>("lblFolderCount")->text(); }
    bool reading() { return countLine() == u"Читаю папку…"_s; }

    std::map<QString, std::vector<MadeUpPatch>> m_madeUp; // each folder's patches
    std::mt19937 m_dice;
    std::mt19937 m_answers;
    QTimer m_boxes;
    QStringList m_steps;
    // What must be so, as the person's actions say.
    QString m_shown; // the folder the tab shows, once listed
    bool m_backup = false;
    QString m_backupName = u"full.bin"_s; // the backup's file, or the last one used
    int m_copies = 0;
    bool m_backupKnown = true; // false while its file is gone and no look has said so yet
    QString m_text;
    std::optional<bool> m_handedOver; // how the box before a hand-over was answered
    QStringList m_boxTexts;
};

void Actions::answerBox()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    const QString text = box->text();
    m_boxTexts += text;
    for (QAbstractButton *button : box->buttons()) {
        if (button->text() == u"Передать всё равно"_s) {
            m_handedOver = m_answers() % 2 == 0;
            say(u"  box: "_s + text.section(u'\n', 0, 0) + (*m_handedOver ? u" → передать"_s : u" → отмена"_s));
            (*m_handedOver ? button : box->escapeButton())->click();
            return;
        }
    }
    say(u"  box: "_s + text.section(u'\n', 0, 0));
    if (QAbstractButton *ok = box->button(QMessageBox::Ok))
        ok->click();
    else
        box->close();
}

// The text cleared and one patch of the folder shown appended that the
// window, listed and settled, says fits the backup in use; none when it
// shows no such patch.
const MadeUpPatch *Actions::oneThatFits()
{
    if (m_shown.isEmpty() || reading() || child<QLabel>("lblBackup")->toolTip().isEmpty())
        return nullptr;
    child<QTabWidget>("SSTab1")->setCurrentIndex(folderTab);
    QListView *list = folderList();
    std::vector<int> fitting;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
        if (list->model()->index(row, 0).data(Qt::AccessibleDescriptionRole).toString().contains(u"и он к ней подходит"_s))
            fitting.push_back(row);
    }
    if (fitting.empty())
        return nullptr;
    const QModelIndex index = list->model()->index(fitting[std::size_t(dice(int(fitting.size())))], 0);
    const QString path = index.data(pathRole).toString();
    const std::vector<MadeUpPatch> &patches = m_madeUp[m_shown];
    const auto patch = std::find_if(patches.begin(), patches.end(), [&](const MadeUpPatch &p) { return path.endsWith(p.fileName); });
    if (patch == patches.end())
        return nullptr;
    say(u"clear, Enter on "_s + path);
    QTest::mouseClick(child<QPushButton>("cmdClear"), Qt::LeftButton);
    m_text.clear();
    list->setCurrentIndex(index);
    QTest::keyClick(list, Qt::Key_Return);
    appended(path);
    return &*patch;
}

void Actions::run(unsigned seed, int steps)
{
    m_dice.seed(seed);
    m_answers.seed(seed + 1);
    for (int i = 0; i < steps && !HasFailure(); ++i) {
        QElapsedTimer took;
        took.start();
        step();
        EXPECT_LT(took.elapsed(), longestStepMs) << "a step kept the person waiting";
        check(dice(4) != 0);
    }
    if (HasFailure())
        ADD_FAILURE() << "seed " << seed << ", steps:\n" << m_steps.join(u'\n').toStdString();
}

void Actions::step()
{
    auto *tabs = child<QTabWidget>("SSTab1");
    switch (dice(19)) {
    case 0: { // a folder chosen in the dialog, or the dialog cancelled
        const QString chosen = pickFolder(false);
        const bool cancel = dice(5) == 0;
        say((cancel ? u"choose, then cancel: "_s : u"choose "_s) + chosen);
        whenModal<QFileDialog>([chosen, cancel](QFileDialog *dialog) {
            if (cancel)
                dialog->reject();
            else
                chooseInDialog(dialog, chosen);
        });
        // Its button; the shortcut works only once the window is active again
        // after a box, which the platform makes it in its own time.
        tabs->setCurrentIndex(folderTab);
        QTest::mouseClick(child<QPushButton>("cmdFolder"), Qt::LeftButton);
        if (!cancel)
            chose(chosen);
        break;
    }
    case 1: { // a folder dropped on the list or the text
        const QString dropped = pickFolder(true);
        say(u"drop folder "_s + dropped);
        dropFiles(dice(2) ? folderList()->viewport() : child<QPlainTextEdit>("txtPath")->viewport(), {dropped});
        chose(dropped);
        break;
    }
    case 2: { // patches, a folder and the backup, some of them, dropped together
        QStringList files;
        const QString loose[] = {at(u"loose/a-other-phone.vkp"_s), at(u"loose/b-plain.vkp"_s), at(u"loose/c-template.vkp"_s)};
        for (const QString &patch : loose) {
            if (dice(2))
                files += patch;
        }
        const QString dropped = dice(2) ? at(dice(2) ? u"small"_s : u"large"_s) : QString();
        if (!dropped.isEmpty())
            files += dropped;
        if (dice(2))
            files += at(u"full.bin"_s);
        if (files.isEmpty())
            files += loose[0];
        say(u"drop "_s + files.join(u", "_s));
        dropFiles(child<QPlainTextEdit>("txtPath")->viewport(), files);
        for (const QString &patch : loose) { // appended in the order of their names
            if (files.contains(patch))
                appended(patch);
        }
        if (files.contains(at(u"full.bin"_s)) && QFile::exists(at(u"full.bin"_s))) {
            m_backup = m_backupKnown = true;
            m_backupName = u"full.bin"_s;
        }
        if (!dropped.isEmpty())
            chose(dropped);
        break;
    }
    case 3: // the backup chosen in its dialog, or put away
        if (QFile::exists(backupFile() + u".away"_s)) {
            say(u"the backup's file put back"_s);
            QFile::rename(backupFile() + u".away"_s, backupFile());
        } else if (dice(3) == 0) {
            // Gone: the next look at it says so and stops using it.
            say(u"the backup's file taken away"_s);
            QFile::rename(backupFile(), backupFile() + u".away"_s);
            m_backupKnown = !m_backup;
        } else if (m_backup && dice(2)) {
            say(u"stop using the backup"_s);
            QTest::mouseClick(child<QToolButton>("cmdNoBackup"), Qt::LeftButton);
            m_backup = false;
            m_backupKnown = true;
        } else if (QFile::exists(at(u"full.bin"_s))) {
            say(u"choose the backup"_s);
            const QString backup = at(u"full.bin"_s);
            whenModal<QFileDialog>([backup](QFileDialog *dialog) { chooseInDialog(dialog, backup); });
            QTest::mouseClick(child<QPushButton>("cmdBackup"), Qt::LeftButton);
            m_backup = m_backupKnown = true;
            m_backupName = u"full.bin"_s;
        }
        break;
    case 4: // away and back: the window looks again
        say(u"come back"_s);
        elsewhere.show();
        EXPECT_TRUE(clickOn(elsewhere));
        EXPECT_TRUE(clickOn(window));
        break;
    case 5: { // the filter typed in, then Escape
        const QString typed = dice(2) ? u"1"_s + QString::number(dice(10)) : u"Патч"_s;
        say(u"filter "_s + typed + u", Escape"_s);
        tabs->setCurrentIndex(folderTab);
        auto *filter = child<QLineEdit>("txtFilter");
        for (const QChar c : typed)
            QTest::sendKeyEvent(QTest::Click, filter, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QTest::keyClick(filter, Qt::Key_Escape);
        EXPECT_TRUE(filter->text().isEmpty());
        break;
    }
    case 6:
    case 7: { // a patch of the folder appended: Enter, held down or not, or a double-click
        tabs->setCurrentIndex(folderTab);
        QListView *list = folderList();
        if (list->model()->rowCount() == 0) {
            say(u"nothing to append in the fourth tab"_s);
            break;
        }
        const QModelIndex index = list->model()->index(dice(list->model()->rowCount()), 0);
        const QString path = index.data(pathRole).toString();
        if (dice(2)) {
            const bool held = dice(2);
            say(u"Enter"_s + (held ? u" held down"_s : QString()) + u" on "_s + path);
            list->setCurrentIndex(index);
            QTest::sendKeyEvent(QTest::Press, list, Qt::Key_Return, QString(), Qt::NoModifier);
            for (int repeat = 0; held && repeat < 2; ++repeat) {
                QKeyEvent again(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QString(), true);
                QApplication::sendEvent(list, &again);
            }
            QTest::sendKeyEvent(QTest::Release, list, Qt::Key_Return, QString(), Qt::NoModifier);
        } else {
            say(u"double-click on "_s + path);
            const QPoint point = list->visualRect(index).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, point);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, point);
        }
        appended(path);
        break;
    }
    case 8: { // one of the twenty appended
        const char *lists[] = {"lstDel", "lstFast", "lstOther"};
        const int tab = dice(3);
        const int row = dice(child<QListWidget>(lists[tab])->count());
        say(u"pick %1 row %2"_s.arg(QLatin1String(lists[tab])).arg(row));
        pick(tab, lists[tab], row);
        appended(QDir(folder.path()).filePath(u"%1%2.h"_s.arg(QChar(u"dfo"[tab])).arg(row)));
        break;
    }
    case 9:
        say(u"clear"_s);
        QTest::mouseClick(child<QPushButton>("cmdClear"), Qt::LeftButton);
        m_text.clear();
        break;
    case 10:
    case 11: { // handed over, and the box answered either way
        say(u"hand over"_s);
        const QByteArray before = folder.read(u"tmp.vkp"_s);
        // A backup that no longer reads stops the hand-over: nothing is written.
        const bool backupGone = !child<QLabel>("lblBackup")->toolTip().isEmpty() && !QFile::exists(backupFile());
        m_handedOver.reset();
        m_boxTexts.clear();
        QTest::mouseClick(child<QPushButton>("vklay"), Qt::LeftButton);
        QByteArray expected;
        encodeCodePage(m_text + u"\r\n"_s, expected);
        EXPECT_EQ(folder.read(u"tmp.vkp"_s), m_handedOver.value_or(!backupGone) ? expected : before);
        if (backupGone) {
            m_backup = false;
            m_backupKnown = true;
        }
        for (const QString &text : m_boxTexts) {
            QStringList items = text.split(u'\n').filter(u"• "_s);
            EXPECT_EQ(std::set<QString>(items.begin(), items.end()).size(), std::size_t(items.size())) << "a pair named twice:\n"
                                                                                                      << text.toStdString();
        }
        break;
    }
    case 12:
    case 13: { // an entry's menu: taken off, or appended with its old bytes from the backup
        const bool fromFolder = dice(2);
        QAbstractItemView *list = fromFolder ? static_cast<QAbstractItemView *>(folderList())
                                             : child<QListWidget>(std::array{"lstDel", "lstFast", "lstOther"}[dice(3)]);
        tabs->setCurrentIndex(fromFolder ? folderTab : tabs->indexOf(list->parentWidget()));
        if (list->model()->rowCount() == 0) {
            say(u"no entry for its menu"_s);
            break;
        }
        const int row = dice(list->model()->rowCount());
        const QString item = dice(2) ? u"Снять с телефона"_s : u"Добавить со старыми байтами из копии"_s;
        const QString pointed = list->model()->index(row, 0).data(pathRole).toString();
        // Now and then another folder is listed while the menu is open: its
        // rows replace the one pointed at, which is still what the menu acts on.
        const QString other = at(m_shown == at(u"small"_s) ? u"large"_s : u"small"_s);
        const bool relisted = fromFolder && dice(2);
        say(item + u" on "_s + list->objectName() + u" row "_s + QString::number(row)
            + (relisted ? u", "_s + other + u" listed meanwhile"_s : QString()));
        list->setCurrentIndex(list->model()->index(row, 0));
        m_boxTexts.clear();
        const MenuSeen seen = useMenu(list, row, item, [&] {
            if (!relisted)
                return;
            dropFiles(list->viewport(), {other});
            chose(other);
            EXPECT_TRUE(waitUntil([&] { return !reading(); }, 20000)) << "a listing never ended";
        });
        // Whatever it appends comes after the text; nothing of it is lost.
        const QString now = patchText();
        EXPECT_TRUE(now.startsWith(m_text)) << now.toStdString();
        if (!m_backup && m_backupKnown && item.startsWith(u"Добавить"_s)) {
            EXPECT_EQ(now, m_text) << "old bytes filled in without a backup";
        }
        // What it did, it did to the patch pointed at: its comments appended,
        // or a box that names it or the backup gone.
        if (seen.enabled.contains(item)) {
            const QString added = now.mid(m_text.size());
            bool itsOwn = !added.isEmpty();
            for (const QString &line : fileText(pointed).split(u"\r\n"_s)) {
                if (line.startsWith(u';'))
                    itsOwn = itsOwn && added.contains(line);
            }
            const QString said = m_boxTexts.join(u'\n');
            EXPECT_TRUE(itsOwn || said.contains(QFileInfo(pointed).fileName()) || said.contains(u"больше не читается"_s))
                << "not done to " << pointed.toStdString() << ":\n" << added.toStdString() << said.toStdString();
        }
        m_text = now;
        break;
    }
    case 14: { // the copy after the flash saved under a name of its own, and used from then on
        const QString copy = u"after-%1.bin"_s.arg(++m_copies);
        // Now and then as a person tries it first: cleared, one patch the
        // window says fits appended, and the copy must be the backup with
        // that patch's records written, as the made-up patch has them.
        const MadeUpPatch *only = dice(2) ? oneThatFits() : nullptr;
        const QByteArray before = fileBytes(backupFile());
        say(u"save the copy after the flash as "_s + copy);
        // Only a text the tool writes as it stands, on a backup that reads,
        // gets as far as the dialog; whoever answers it has a copy in use.
        bool asked = false;
        QTimer dialogs;
        awaitModal(&QFileDialog::staticMetaObject, 1);
        QObject::connect(&dialogs, &QTimer::timeout, [&] {
            if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
                asked = true;
                chooseInDialog(dialog, at(copy));
            }
        });
        dialogs.start(10);
        EXPECT_TRUE(clickOn(window));
        QTest::keyClick(&window, Qt::Key_S, Qt::ControlModifier);
        awaitModal(&QFileDialog::staticMetaObject, -1);
        if (asked) {
            say(u"  saved"_s);
            EXPECT_TRUE(m_backup || !m_backupKnown) << "a copy offered without a backup";
            m_backup = m_backupKnown = true;
            m_backupName = copy;
            if (only) {
                QByteArray expected = before;
                for (const MadeUpRecord &record : only->records)
                    expected[record.address] = record.now;
                EXPECT_TRUE(fileBytes(at(copy)) == expected) << "the copy is not the backup with the patch written";
                const QString path = native(m_shown + u'/' + only->fileName);
                EXPECT_TRUE(waitUntil([&] { return aboutRow(path).contains(copy); }, 20000));
                EXPECT_TRUE(aboutRow(path).startsWith(u"Патч уже есть в копии прошивки «"_s + copy)) << aboutRow(path).toStdString();
            }
        } else if (only && m_backup && m_backupKnown) {
            ADD_FAILURE() << "a patch that fits gave no copy";
        }
        break;
    }
    case 15: { // typed, pasted or cut in the text, a check perhaps under way
        auto *edit = child<PatchTextEdit>("txtPath");
        const QString lines[] = {u"1010: 10 5E"_s, u"2030: 10 5E"_s, u"1000: 5E 10"_s, u"xyz"_s, u"+A0"_s, u"+0"_s,
                                 u"#pragma enable old_equal_ff"_s, u"100000: 10 nn ; the tune"_s, u";CX70v50"_s, u"/*"_s, u"*/"_s,
                                 u"2030: 5E 11"_s, u""_s, u"1010: 5E"_s, u"2030: XX 11"_s};
        edit->setFocus();
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(dice(edit->document()->characterCount()));
        edit->setTextCursor(cursor);
        const int how = dice(3);
        for (int burst = 0; burst < 1 + dice(3); ++burst) {
            if (how == 0) {
                const QString &line = lines[dice(int(std::size(lines)))];
                say(u"type "_s + line);
                QTest::keyClick(edit, Qt::Key_Return);
                QTest::keyClicks(edit, line);
            } else if (how == 1) {
                QStringList pasted;
                for (int n = 0; n < 1 + dice(6); ++n)
                    pasted += lines[dice(int(std::size(lines)))];
                say(u"paste "_s + pasted.join(u" | "_s));
                QApplication::clipboard()->setText(u"\n"_s + pasted.join(u'\n'));
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            } else {
                const int cut = 1 + dice(40);
                say(u"cut %1"_s.arg(cut));
                for (int i = 0; i < cut; ++i)
                    QTest::keyClick(edit, Qt::Key_Right, Qt::ShiftModifier);
                QTest::keyClick(edit, Qt::Key_Delete);
            }
            // Now and then the next edit lands while a check runs.
            if (dice(2))
                QTest::qWait(dice(40));
        }
        m_text = patchText();
        break;
    }
    case 16: { // a line's menu in the text: one of what it offers there chosen, or undone again
        auto *edit = child<PatchTextEdit>("txtPath");
        // Half the time a record that may lack its old bytes, or has placeholders there.
        std::vector<int> lacking;
        for (QTextBlock b = edit->document()->begin(); b.isValid(); b = b.next()) {
            if (b.text().contains(QRegularExpression(u"^\\s*[0-9A-F]+:\\s*(\\S+|XX\\s+\\S+)\\s*$"_s)))
                lacking.push_back(b.blockNumber() + 1);
        }
        const int line = !lacking.empty() && dice(2) ? lacking[std::size_t(dice(int(lacking.size())))]
                                                      : 1 + dice(edit->document()->blockCount());
        const QPoint at = edit->cursorRect(QTextCursor(edit->document()->findBlockByNumber(line - 1))).center();
        const QString choose = std::array{u"Заполнить"_s, u"Снять патч"_s, u"Убрать повтор"_s}[dice(3)];
        const bool undo = dice(2);
        say(u"line %1's menu: "_s.arg(line) + choose + (undo ? u", then undone"_s : QString()));
        m_boxTexts.clear();
        const MenuSeen seen = useMenuAt(edit->viewport(), at, choose);
        const QString now = patchText();
        const QStringList before = m_text.split(u"\r\n"_s), after = now.split(u"\r\n"_s);
        const auto chosen = std::find_if(seen.enabled.begin(), seen.enabled.end(), [&](const QString &i) { return i.startsWith(choose); });
        // Each acts on its own lines and leaves every other as it stood.
        if (chosen == seen.enabled.end() || !m_boxTexts.isEmpty()) {
            EXPECT_EQ(now, m_text) << "changed by what was not chosen, or refused";
        } else if (choose == u"Заполнить"_s) {
            EXPECT_EQ(after.size(), before.size());
            for (qsizetype i = 0; i < std::min(before.size(), after.size()); ++i)
                EXPECT_TRUE(i == line - 1 || before[i] == after[i]) << "line " << i + 1 << " changed too";
        } else if (choose == u"Снять патч"_s) {
            EXPECT_TRUE(now.startsWith(m_text)) << now.toStdString();
        } else {
            const QStringList range = chosen->section(u"строки "_s, 1).chopped(1).split(u'–');
            QStringList expected = before;
            expected.remove(range[0].toInt() - 1, range[1].toInt() - range[0].toInt() + 1);
            EXPECT_EQ(after.join(u'\n'), expected.join(u'\n'));
        }
        if (undo && now != m_text) {
            QTest::keyClick(edit, Qt::Key_Z, Qt::ControlModifier);
            EXPECT_EQ(patchText(), m_text) << "not undone in one step";
        }
        m_text = patchText();
        break;
    }
    default: { // listings slowed, or not
        const int pause = std::array{0, 0, 1, 4}[dice(4)];
        say(u"listings pause %1 ms a file"_s.arg(pause));
        window.findChild<FolderLister *>()->setBeforeEachFile([pause] { QThread::msleep(pause); });
    }
    }
}

// What holds after any step; what the tab shows, once the listing under way
// is over.
void Actions::check(bool settle)
{
    EXPECT_EQ(patchText(), m_text);
    if (reading())
        return; // nothing of the folder before is counted meanwhile
    if (!settle)
        return;
    EXPECT_TRUE(waitUntil([&] { return !reading() && !window.findChild<FolderLister *>()->busy(); }, 20000))
        << "a listing never ended";
    EXPECT_EQ(child<QLabel>("lblFolder")->toolTip(), m_shown);
    // The backup in use, as the window says; what it says must be so where
    // the person's actions tell, and the marks agree with it everywhere.
    const bool inUse = !child<QLabel>("lblBackup")->toolTip().isEmpty();
    if (!m_backupKnown && !inUse) { // a look found it gone, and said so
        m_backup = false;
        m_backupKnown = true;
    }
    if (m_backupKnown) {
        EXPECT_EQ(inUse, m_backup);
        if (inUse) {
            EXPECT_EQ(child<QLabel>("lblBackup")->text(), u"Копия: "_s + m_backupName);
        }
    }
    const QString name = m_backupName;
    const auto marked = [name](const QString &about) { return about.contains(u"копии прошивки «"_s + name + u"»"_s); };
    QAbstractItemModel *rows = folderList()->model();
    for (int row = 0; row < rows->rowCount(); ++row) {
        const QString about = rows->index(row, 0).data(Qt::AccessibleDescriptionRole).toString();
        if (!about.startsWith(u"Патч в таком виде ничего не меняет"_s)) {
            EXPECT_EQ(marked(about), inUse) << about.toStdString();
        }
    }
    auto *entries = child<QListWidget>("lstOther");
    for (int row = 0; row < entries->count(); ++row) {
        const QString about = entries->item(row)->data(Qt::AccessibleDescriptionRole).toString();
        if (!about.startsWith(u"Файла"_s)) {
            EXPECT_EQ(marked(about), inUse) << about.toStdString();
        }
    }
    checkMarks();
}

// The text's marks and findings, once its check is told, are those of the
// text as it stands, as a check from scratch gives them: against the backup
// in use where one was, while its file is there to read.
void Actions::checkMarks()
{
    EXPECT_TRUE(waitUntil([&] { return !window.findChild<TextChecker *>()->busy(); }, 20000)) << "a check never ended";
    auto *edit = child<PatchTextEdit>("txtPath");
    const TextCheck &shown = edit->check();
    if (!shown.checked)
        return;
    const QString text = edit->toPlainText();
    EXPECT_EQ(shown.checked->text, text) << "the marks are not of the text as it stands";
    const auto reading = std::make_shared<PatchReading>(readPatchText(text));
    const std::optional<Backup> backup = window.findChild<BackupInUse *>()->backup();
    std::optional<TextCheck> fromScratch;
    if (!shown.checked->match && !backup) {
        fromScratch = checkText(text, reading, nullptr, QString());
    } else if (shown.checked->match && backup) {
        BackupImage image;
        const PatchReading *readings[] = {reading.get()};
        if (!readBackupFor(*backup, readings, image))
            fromScratch = checkText(text, reading, &image, backupName(*backup));
    }
    if (fromScratch) {
        EXPECT_TRUE(shown.lines == fromScratch->lines) << "the marks differ from a check from scratch";
        EXPECT_TRUE(shown.notices == fromScratch->notices) << "the findings differ from a check from scratch";
    }
}

TEST_P(Actions, HoldWhateverTheirOrder)
{
    bool given = false;
    const unsigned seed = qEnvironmentVariableIntValue("KELVARINE_ACTIONS_SEED", &given);
    const int steps = qEnvironmentVariableIsSet("KELVARINE_ACTIONS_STEPS") ? qEnvironmentVariableIntValue("KELVARINE_ACTIONS_STEPS") : 100;
    run(given ? seed : GetParam(), steps);
}

INSTANTIATE_TEST_SUITE_P(Seeds, Actions, ::testing::Values(1u, 2u, 3u, 4u));

} // namespace
