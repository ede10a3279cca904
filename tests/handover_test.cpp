#include "handover/handover.h"

#include "assembly/assembly.h"
#include "runtime/codepage.h"
#include "support/printers.h"
#include "support/programfolder.h"
#include "support/script.h"

#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

const QString exportFailed = u"Не удалось передать патч прошивальщику."_s;
const QString heldElsewhere = u"файл открыт в другой программе (например, в V_klay): закройте его там и повторите"_s;

// What the user reads first: what failed, alone on the first line.
QString firstLine(const Failure &failure)
{
    return failure.message().section(u'\n', 0, 0);
}

} // namespace

class Handover : public ::testing::Test
{
protected:
    ProgramFolder folder;
    PlainTextHolder holder;
};

TEST_F(Handover, WritesTheTextAndOneLineEndReplacingTheFileWhole)
{
    ASSERT_FALSE(ExportPatchText(holder));
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\n");

    folder.write(QStringLiteral("d0.h"), "A\r\nB\r\n");
    ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 0));
    const QString text = holder.text();
    ASSERT_FALSE(ExportPatchText(holder));
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\nA\r\nB\r\n\r\n");
    EXPECT_EQ(holder.text(), text);

    ClearPatchText(holder);
    ASSERT_FALSE(ExportPatchText(holder));
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\n");
}

TEST_F(Handover, EveryByteOfAPatchFileComesBackOut)
{
    const QByteArray line = everyLineByte();
    folder.write(QStringLiteral("o1.h"), line + "\n" + line);
    ASSERT_FALSE(AppendPatchFile(holder, Category::Other, 1));
    ASSERT_FALSE(ExportPatchText(holder));
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\n" + line + "\r\n" + line + "\r\n\r\n");
}

TEST_F(Handover, RefusesACharacterTheCodePageLacksAndKeepsTheOldFile)
{
    folder.write(QStringLiteral("tmp.vkp"), "OLD");
    const struct {
        QString text;
        QString character; // as the message shows it, with its line
    } cases[] = {
        {u"\r\nok\r\nпатч 😀\r\n"_s, u"«😀» (U+1F600) в строке 3"_s},
        {u"\r\nüber"_s, u"«ü» (U+00FC) в строке 2"_s},
        {u"x"_s + QChar(0xD800) + u"\r\n"_s, u"U+D800 в строке 1"_s}, // half a pair cannot be shown
        // Far into the text, after much of it could have been written.
        {u"\r\n"_s + QString(200000, u'ж') + u"\r\nok ü"_s, u"«ü» (U+00FC) в строке 3"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.left(20).toStdString());
        holder.setText(c.text);
        const Status failure = ExportPatchText(holder);
        ASSERT_TRUE(failure);
        EXPECT_EQ(firstLine(*failure), exportFailed);
        EXPECT_EQ(failure->reason, u"символ "_s + c.character + u" нельзя записать в кодировке Windows-1251"_s);
        EXPECT_TRUE(holder.text() == c.text);
        EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "OLD");
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("tmp.vkp")});
    }
}

TEST_F(Handover, ReportsADirectoryInPlaceOfTheFile)
{
    QDir(folder.path()).mkdir(QStringLiteral("tmp.vkp"));
    holder.setText(QStringLiteral("x"));
    const Status failure = ExportPatchText(holder);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, folder.file(QStringLiteral("tmp.vkp")));
    EXPECT_EQ(firstLine(*failure), exportFailed);
    EXPECT_EQ(failure->reason, u"на месте файла папка"_s);
    EXPECT_TRUE(failure->message().contains(QStringLiteral("tmp.vkp")));
    EXPECT_EQ(holder.text(), u"x");
}

TEST_F(Handover, ReportsAGoneProgramDirectory)
{
    QDir(folder.path()).removeRecursively();
    const Status failure = ExportPatchText(holder);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, folder.file(QStringLiteral("tmp.vkp")));
    EXPECT_EQ(firstLine(*failure), exportFailed);
    EXPECT_EQ(failure->reason, u"папка не найдена"_s);
}

TEST_F(Handover, ReportsAMissingOrOddScriptAfterTheFileIsWritten)
{
    ASSERT_FALSE(ExportPatchText(holder));
    Status failure = LaunchFlasherScript();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, folder.file(QStringLiteral("shell.bat")));
    EXPECT_EQ(firstLine(*failure), u"Не удалось запустить сценарий."_s);
    EXPECT_EQ(failure->reason, u"файл не найден"_s);
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\n");

    QDir(folder.path()).mkdir(QStringLiteral("shell.bat"));
    failure = LaunchFlasherScript();
    ASSERT_TRUE(failure);
    EXPECT_EQ(firstLine(*failure), u"Не удалось запустить сценарий."_s);
    EXPECT_EQ(failure->reason, u"это не обычный файл"_s);
}

#ifndef Q_OS_WIN
namespace {

// Root may write anywhere, so a run as root plays an ordinary user (nobody)
// while this lives; the saved ids let it become root again. Anyone else is
// ordinary already.
class OrdinaryUser
{
public:
    OrdinaryUser()
    {
        if (geteuid() != 0)
            return;
        constexpr uid_t nobody = 65534;
        m_failed = setresgid(nobody, nobody, 0) != 0;
        if (!m_failed && setresuid(nobody, nobody, 0) != 0) {
            m_failed = true;
            if (setresgid(0, 0, 0) != 0)
                qFatal("cannot take back the root group");
        }
        m_switched = !m_failed;
    }
    ~OrdinaryUser()
    {
        if (m_switched && (setresuid(0, 0, 0) != 0 || setresgid(0, 0, 0) != 0))
            qFatal("cannot become root again");
    }
    OrdinaryUser(const OrdinaryUser &) = delete;
    OrdinaryUser &operator=(const OrdinaryUser &) = delete;

    bool failed() const { return m_failed; }

private:
    bool m_switched = false;
    bool m_failed = false;
};

} // namespace
#endif

TEST_F(Handover, NamesMissingRightsAsTheReason)
{
#ifdef Q_OS_WIN
    GTEST_SKIP() << "Windows keeps rights in access lists, which Wine does not enforce; "
                    "a file held by another program is the Windows case";
#else
    if (OrdinaryUser().failed())
        GTEST_SKIP() << "running as root without the right to change user (CAP_SETUID)";
    using P = QFileDevice;
    const auto all = P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadGroup | P::ExeGroup | P::ReadOther | P::ExeOther;
    const auto readOnly = all & ~P::WriteOwner;
    const auto readWrite = P::ReadOwner | P::WriteOwner | P::ReadGroup | P::ReadOther;
    // The way in must be open to nobody too.
    QFile::setPermissions(folder.root(), all);
    const auto restore = qScopeGuard([&] { QFile::setPermissions(folder.path(), all); });
    folder.write(QStringLiteral("tmp.vkp"), "OLD");
    folder.write(QStringLiteral("d0.h"), "A");
    holder.setText(QStringLiteral("KEEP"));

    const struct {
        const char *name;
        QFile::Permissions folderRights;
        const char *file;
        QFile::Permissions fileRights;
        const char *summary;
        const char *reason; // the start: the system's own words may follow
    } cases[] = {
        {"a folder it may not write in", readOnly, "tmp.vkp", readWrite | P::WriteGroup | P::WriteOther,
         "Не удалось передать патч прошивальщику.", "нет прав на запись в папку"},
        {"a tmp.vkp it may not write", all | P::WriteGroup | P::WriteOther, "tmp.vkp", readWrite & ~P::WriteOwner,
         "Не удалось передать патч прошивальщику.", "нет прав на запись в файл"},
        {"a patch file it may not read", all, "d0.h", {}, "Не удалось добавить патч.", "нет прав доступа"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = folder.file(QLatin1String(c.file));
        ASSERT_TRUE(QFile::setPermissions(folder.path(), c.folderRights));
        ASSERT_TRUE(QFile::setPermissions(file, c.fileRights));
        Status failure;
        {
            const OrdinaryUser user;
            failure = c.file == QByteArrayView("d0.h") ? AppendPatchFile(holder, Category::Del, 0)
                                                       : ExportPatchText(holder);
        }
        QFile::setPermissions(file, readWrite);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->file, file);
        EXPECT_EQ(firstLine(*failure), QString::fromUtf8(c.summary));
        EXPECT_TRUE(failure->reason.startsWith(QString::fromUtf8(c.reason))) << failure->reason.toStdString();
        EXPECT_EQ(holder.text(), u"KEEP");
        EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "OLD");
    }
#endif
}

TEST(HandoverScript, RunsExactlyTheScriptInItsFolderAndDoesNotWait)
{
    const ProgramFolder folder(hostileFolderName());
    folder.write(u"shell.bat"_s, markerScript());

    // It returns while the script waits for "stop"; "started" appears only in
    // the script's working directory and holds its argument count.
    ASSERT_FALSE(LaunchFlasherScript());
    ASSERT_TRUE(waitForFile(folder.file(u"started"_s)));
    EXPECT_FALSE(folder.exists(u"done"_s));
    EXPECT_EQ(folder.read(u"started"_s).trimmed(), "0");
    folder.write(u"stop"_s, "");
    ASSERT_TRUE(waitForFile(folder.file(u"done"_s)));

    EXPECT_EQ(QDir(folder.root()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).size(), 1);
    for (const QString &place : {folder.root(), folder.path(), QDir::currentPath()})
        EXPECT_FALSE(pwnedIn(place)) << place.toStdString();
}

TEST_F(Handover, ReplacesAFileTheFlashingToolHoldsOpenOrSaysToCloseIt)
{
    folder.write(u"tmp.vkp"_s, "OLD\r\n");
    QFile held(folder.file(u"tmp.vkp"_s));
    ASSERT_TRUE(held.open(QIODevice::ReadOnly));
    holder.setText(u"NEW"_s);
    const Status failure = ExportPatchText(holder);
#ifdef Q_OS_WIN
    // A file is renamed over only when every holder allows it, and readers
    // like the flashing tool do not.
    ASSERT_TRUE(failure);
    EXPECT_EQ(firstLine(*failure), exportFailed);
    EXPECT_EQ(failure->reason, heldElsewhere);
    EXPECT_EQ(folder.read(u"tmp.vkp"_s), "OLD\r\n");
#else
    ASSERT_FALSE(failure) << failure->message().toStdString();
    EXPECT_EQ(folder.read(u"tmp.vkp"_s), "NEW\r\n");
#endif
    // Whoever holds it reads the old file whole, and no temporary file stays.
    EXPECT_EQ(held.readAll(), "OLD\r\n");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"tmp.vkp"_s});
}

TEST_F(Handover, AReaderNeverSeesATornFile)
{
    const QString first = QStringLiteral("\r\n") + QString(20000, u'1');
    const QString second = QStringLiteral("\r\n") + QString(70000, u'ж');
    QByteArray firstBytes, secondBytes;
    encodeCodePage(first + u"\r\n"_s, firstBytes);
    encodeCodePage(second + u"\r\n"_s, secondBytes);
    holder.setText(first);
    ASSERT_FALSE(ExportPatchText(holder));

    // Windows refuses an open while the file is being replaced, and a replace
    // while a reader holds the file; the program says so and the old one stays whole.
    std::atomic<bool> writing = true;
    std::atomic<int> reads = 0, torn = 0, unopened = 0;
    std::thread reader([&] {
        while (writing) {
            QFile file(folder.file(u"tmp.vkp"_s));
            if (!file.open(QIODevice::ReadOnly)) {
                ++unopened;
                continue;
            }
            const QByteArray seen = file.readAll();
            torn += seen != firstBytes && seen != secondBytes;
            ++reads;
        }
    });
    int written = 0, refused = 0;
    for (int i = 0; i < 400; ++i) {
        holder.setText(i % 2 ? first : second);
        const Status failure = ExportPatchText(holder);
        written += !failure;
        // The reader may have let go by the time the program asks who holds it.
        refused += failure && (failure->reason == heldElsewhere
                               || failure->reason.startsWith(u"не удалось заменить прежний файл"));
    }
    writing = false;
    reader.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(torn, 0);
#ifdef Q_OS_WIN
    EXPECT_EQ(written + refused, 400);
    EXPECT_GT(written, 0);
#else
    EXPECT_EQ(unopened, 0);
    EXPECT_EQ(written, 400);
#endif
}
