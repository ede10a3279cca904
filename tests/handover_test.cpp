#include "handover/handover.h"
#include "runtime/sizewords.h"

#include "assembly/assembly.h"
#include "runtime/codepage.h"
#include "runtime/programdirectory.h"
#include "support/child.h"
#include "support/ordinaryuser.h"
#include "support/printers.h"
#include "support/programfolder.h"
#include "support/resources.h"
#include "support/script.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <iostream>
#include <gtest/gtest.h>
#include <thread>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
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
    ASSERT_FALSE(ExportPatchText(holder.text()));
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\n");

    folder.write(QStringLiteral("d0.h"), "A\r\nB\r\n");
    ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 0));
    const QString text = holder.text();
    ASSERT_FALSE(ExportPatchText(holder.text()));
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\nA\r\nB\r\n\r\n");
    EXPECT_EQ(holder.text(), text);

    ClearPatchText(holder);
    ASSERT_FALSE(ExportPatchText(holder.text()));
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\n");
}

TEST_F(Handover, EveryByteOfAPatchFileComesBackOut)
{
    const QByteArray line = everyLineByte();
    folder.write(QStringLiteral("o1.h"), line + "\n" + line);
    ASSERT_FALSE(AppendPatchFile(holder, Category::Other, 1));
    ASSERT_FALSE(ExportPatchText(holder.text()));
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
        {u"ü\r\nok"_s, u"«ü» (U+00FC) в строке 1"_s},
        {u"\r\nok\r\n"_s + QChar(QChar::ReplacementCharacter), u"«\uFFFD» (U+FFFD) в строке 3"_s},
        // Far into the text, after much of it could have been written.
        {u"\r\n"_s + QString(300000, u'ж') + u"\r\nok ü"_s, u"«ü» (U+00FC) в строке 3"_s},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.left(20).toStdString());
        holder.setText(c.text);
        const Status failure = ExportPatchText(holder.text());
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
    const Status failure = ExportPatchText(holder.text());
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
    const Status failure = ExportPatchText(holder.text());
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, folder.file(QStringLiteral("tmp.vkp")));
    EXPECT_EQ(firstLine(*failure), exportFailed);
    EXPECT_EQ(failure->reason, u"папка не найдена"_s);
}

TEST_F(Handover, ReportsAMissingOrOddScriptAfterTheFileIsWritten)
{
    ASSERT_FALSE(ExportPatchText(holder.text()));
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


TEST_F(Handover, NamesMissingRightsAsTheReason)
{
    if (OrdinaryUser().failed())
        GTEST_SKIP() << "running as root without the right to change user (CAP_SETUID)";
#ifdef Q_OS_WIN
    constexpr bool windows = true;
#else
    constexpr bool windows = false;
#endif
    using P = QFileDevice;
    const auto all = P::ReadOwner | P::WriteOwner | P::ExeOwner | P::ReadGroup | P::ExeGroup | P::ReadOther | P::ExeOther;
    const auto readOnly = all & ~P::WriteOwner;
    const auto readWrite = P::ReadOwner | P::WriteOwner | P::ReadGroup | P::ReadOther;
    const auto everyone = all | P::WriteGroup | P::WriteOther;
    // The way in must be open to nobody too.
    QFile::setPermissions(folder.root(), all);
    const auto restore = qScopeGuard([&] { QFile::setPermissions(folder.path(), all); });
    folder.write(QStringLiteral("tmp.vkp"), "OLD");
    folder.write(QStringLiteral("d0.h"), "A");
    holder.setText(QStringLiteral("KEEP"));

    const struct {
        const char *name;
        QFile::Permissions folderRights;
        bool sticky; // as /tmp: only a file's owner may replace it
        const char *file;
        QFile::Permissions fileRights;
        bool onWindows;
        const char *summary;
        const char *reason; // the start: the system's own words may follow
    } cases[] = {
        {"a folder it may not write in", readOnly, false, "tmp.vkp", readWrite | P::WriteGroup | P::WriteOther, false,
         "Не удалось передать патч прошивальщику.", "нет прав на запись в папку"},
        {"a tmp.vkp it may not write", everyone, false, "tmp.vkp", readWrite & ~P::WriteOwner, true,
         "Не удалось передать патч прошивальщику.", "нет прав на запись в файл"},
        {"a patch file it may not read", all, false, "d0.h", {}, false, "Не удалось добавить патч.", "нет прав доступа"},
        // Linux replaces a file whoever holds it open, so that is never the reason.
        {"another user's tmp.vkp in a shared folder", everyone, true, "tmp.vkp", readWrite | P::WriteGroup | P::WriteOther, false,
         "Не удалось передать патч прошивальщику.", "не удалось заменить прежний файл"},
    };
    const bool filesAreAnothers = OrdinaryUser().another();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if ((windows && !c.onWindows) || (c.sticky && !filesAreAnothers))
            continue;
        const QString file = folder.file(QLatin1String(c.file));
        ASSERT_TRUE(QFile::setPermissions(folder.path(), c.folderRights));
#ifndef Q_OS_WIN
        if (c.sticky) {
            ASSERT_EQ(::chmod(QFile::encodeName(folder.path()).constData(), 01777), 0);
        }
#endif
        ASSERT_TRUE(QFile::setPermissions(file, c.fileRights));
        Status failure;
        {
            [[maybe_unused]] const OrdinaryUser user;
            failure = c.file == QByteArrayView("d0.h") ? AppendPatchFile(holder, Category::Del, 0)
                                                       : ExportPatchText(holder.text());
        }
        QFile::setPermissions(file, readWrite);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->file, file);
        EXPECT_EQ(firstLine(*failure), QString::fromUtf8(c.summary));
        EXPECT_TRUE(failure->reason.startsWith(QString::fromUtf8(c.reason))) << failure->reason.toStdString();
        EXPECT_EQ(holder.text(), u"KEEP");
        EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "OLD");
        // Nothing made to ask the folder, or to write in it, stays behind.
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
                  (QStringList{u"d0.h"_s, u"tmp.vkp"_s}));
    }
}

#ifndef Q_OS_WIN
// A disk that fills up as the file is written, as a limit on file sizes does:
// Qt's commit() passed over the failed last write, and tmp.vkp stayed empty
// while the hand-over said it was done.
TEST_F(Handover, SaysSoWhenTheDiskTakesLessThanTheText)
{
    const QString text = u"A0000000: 0102030405060708 ; a line of a patch\r\n"_s.repeated(16);
    folder.write(QStringLiteral("tmp.vkp"), "OLD");
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit was{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
    const auto restore = qScopeGuard([&] {
        setrlimit(RLIMIT_FSIZE, &was);
        std::signal(SIGXFSZ, oldHandler);
    });
    for (const rlim_t limit : {rlim_t(0), rlim_t(100)}) {
        rlimit full = was;
        full.rlim_cur = limit;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &full), 0);
        const Status failure = ExportPatchText(text);
        setrlimit(RLIMIT_FSIZE, &was);
        ASSERT_TRUE(failure) << limit;
        EXPECT_EQ(firstLine(*failure), exportFailed);
        EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "OLD") << limit;
    }
}
#endif

// A size as the reasons give it, in the largest binary unit it reaches.
TEST(SizeWords, SaySizesInTheLargestUnitTheyReach)
{
    const struct {
        qint64 bytes;
        const char *words;
    } sizes[] = {
        {0, "0 Б"},           {1023, "1023 Б"},         {1024, "1,0 КиБ"},        {1536, "1,5 КиБ"},
        {100'002, "97,7 КиБ"}, {2 << 20, "2,0 МиБ"}, {(1 << 20) - 1, "1024,0 КиБ"}, {qint64(3) << 30, "3,0 ГиБ"},
    };
    for (const auto &s : sizes)
        EXPECT_EQ(sizeWords(s.bytes), QString::fromUtf8(s.words)) << s.bytes;
}

// Folders ctest has made so that no one may make a file in them, whatever
// the mode bits say, or none larger than what is free: the reason comes
// from the folder itself.
TEST_F(Handover, NamesAFolderNoFileCanBeMadeInAsTheReason)
{
    const QString root = qEnvironmentVariable("KELVARINE_LOCKED_FOLDERS");
    if (root.isEmpty())
        GTEST_SKIP() << "ctest makes the locked folders; run the test through it";
    const struct {
        const char *folder;
        const char *reason; // the start: the system's own words may follow
        // Wine tells a read-only mount from no rights by nothing, and sees
        // the free space of its drive's root, not of a mount below it (none).
        const char *wineReason;
        qsizetype length = 3; // of the text handed over
    } cases[] = {
        {"no-rights", "нет прав на запись в папку", "нет прав на запись в папку"},
        {"read-only", "папка на носителе, защищённом от записи", "нет прав на запись в папку"},
        {"full", "на диске не хватает места: файл занимает 97,7 КиБ, а свободно", nullptr, 100'000},
    };
#ifdef Q_OS_WIN
    const bool wine = underWine();
#else
    constexpr bool wine = false;
#endif
    QStringList notMade;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder);
        const QString locked = root + u'/' + QLatin1String(c.folder);
        if (wine && !c.wineReason)
            continue;
        if (QFile why(locked + u".why"_s); why.open(QIODevice::ReadOnly)) {
            notMade += QString::fromUtf8(why.readAll().trimmed());
            continue;
        }
        setProgramDirectory(locked);
        const QString text = QString(c.length, u'N');
        holder.setText(text);
        const Status failure = ExportPatchText(holder.text());
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->file, QDir::toNativeSeparators(locked + u"/tmp.vkp"_s));
        EXPECT_EQ(firstLine(*failure), exportFailed);
        EXPECT_TRUE(failure->reason.startsWith(QString::fromUtf8(wine ? c.wineReason : c.reason)))
            << failure->reason.toStdString();
        QFile old(locked + u"/tmp.vkp"_s);
        EXPECT_TRUE(old.open(QIODevice::ReadOnly) && old.readAll() == "OLD");
        EXPECT_EQ(holder.text(), text);
    }
    if (notMade.size() == int(std::size(cases)))
        GTEST_SKIP() << notMade.join(u"; "_s).toStdString();
    if (!notMade.isEmpty())
        std::cout << "note: " << notMade.join(u"; "_s).toStdString() << '\n';
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

// Windows' own limit on a path is 260 characters, and cmd.exe keeps to it.
TEST(HandoverFolder, WorksWhereItsPathIsLongerThanWindowsAllows)
{
    const ProgramFolder folder(QString(90, u'д') + u'/' + QString(90, u'л') + u'/' + QString(90, u'п'));
    ASSERT_GT(folder.path().size(), 260);
    folder.write(u"d0.h"_s, "A");
    folder.write(u"shell.bat"_s, markerScript());
    folder.write(u"stop"_s, "");
    PlainTextHolder holder;
    ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 0));
    ASSERT_FALSE(ExportPatchText(holder.text()));
    EXPECT_EQ(folder.read(u"tmp.vkp"_s), "\r\nA\r\n\r\n");
    const Status failure = LaunchFlasherScript();
    ASSERT_FALSE(failure) << failure->message().toStdString();
    EXPECT_TRUE(waitForFile(folder.file(u"done"_s)));
}

#ifdef Q_OS_WIN
// Only Windows names folders \\server\share.
TEST(HandoverScript, FromANetworkFolderIsRefusedRatherThanRunElsewhere)
{
    const ProgramFolder folder;
    folder.write(u"shell.bat"_s, markerScript());
    folder.write(u"stop"_s, "");
    // The build's Wine prefix serves its drives as \\kelvarine-test\<letter>;
    // on Windows the name is as good as any share.
    const QString path = QDir::toNativeSeparators(folder.path());
    const QString share = u"\\\\kelvarine-test\\"_s + path.left(1).toLower() + path.mid(2);
    ASSERT_TRUE(QFileInfo::exists(share + u"\\shell.bat"_s)) << "no network folder here";
    setProgramDirectory(share);
    const Status failure = LaunchFlasherScript();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, share + u"\\shell.bat"_s);
    EXPECT_TRUE(failure->reason.startsWith(u"папка программы в сети"_s)) << failure->reason.toStdString();
    QThread::msleep(500);
    EXPECT_FALSE(folder.exists(u"started"_s));
}

// The script runs through cmd.exe: the system's own, hidden, and gone when
// the script ends. A child runs this from a copy of the test binary in a
// folder of its own, which is then the program folder.
TEST(HandoverScript, RunsTheSystemsCmdHiddenAndItEndsWithTheScript)
{
    if (isChildRun()) {
        ASSERT_FALSE(LaunchFlasherScript());
        ASSERT_TRUE(waitForFile(programFile(u"probe.txt"_s)));
        for (int i = 0; i < 100 && childProcessesNamed(u"cmd.exe"_s) > 0; ++i)
            QThread::msleep(100);
        EXPECT_EQ(childProcessesNamed(u"cmd.exe"_s), 0);
        return;
    }
    const QTemporaryDir folder;
    const QString standin = QDir(QCoreApplication::applicationDirPath()).filePath(u"standin.exe"_s);
    // A cmd.exe beside the program, which is also where it runs: never to be started.
    ASSERT_TRUE(QFile::copy(standin, folder.filePath(u"cmd.exe"_s)));
    ASSERT_TRUE(QFile::copy(standin, folder.filePath(u"probe.exe"_s)));
    QFile script(folder.filePath(u"shell.bat"_s));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly) && script.write("@echo off\r\nprobe.exe\r\n") > 0);
    script.close();

    runThisTestInChild(folder.path(), folder.path());
    EXPECT_FALSE(QFileInfo::exists(folder.filePath(u"cmd.txt"_s)));
    QFile probe(folder.filePath(u"probe.txt"_s));
    ASSERT_TRUE(probe.open(QIODevice::ReadOnly));
    const QString report = QString::fromUtf8(probe.readAll());
    EXPECT_TRUE(report.contains(u"console window: no"_s)) << report.toStdString();
    const QString commandLine = report.section(u"parent command line: "_s, 1).section(u'\n', 0, 0).remove(u'"');
    wchar_t systemFolder[MAX_PATH];
    const QString cmd = QString::fromWCharArray(systemFolder, int(GetSystemDirectoryW(systemFolder, MAX_PATH)))
                      + u"\\cmd.exe "_s;
    EXPECT_TRUE(commandLine.startsWith(cmd, Qt::CaseInsensitive)) << commandLine.toStdString();
    // /c ends cmd.exe with the script; /k would keep it waiting for commands.
    EXPECT_TRUE(commandLine.contains(u" /c "_s, Qt::CaseInsensitive)) << commandLine.toStdString();
    EXPECT_FALSE(commandLine.contains(u" /k "_s, Qt::CaseInsensitive)) << commandLine.toStdString();
}
#endif

TEST_F(Handover, ReplacesAFileHeldForAMomentAndSaysToCloseOneHeldOn)
{
#ifdef Q_OS_WIN
    // A file is renamed over only when every holder allows it, and readers
    // like the flashing tool do not.
    constexpr bool heldFileIsReplaced = false;
#else
    constexpr bool heldFileIsReplaced = true; // the holder keeps reading the old one
#endif
    const struct {
        const char *name;
        int heldMs; // -1: held throughout
        bool replaced;
    } cases[] = {
        {"held for a moment, as an antivirus or an indexer does", 300, true},
        {"held throughout, as the flashing tool does", -1, heldFileIsReplaced},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        folder.write(u"tmp.vkp"_s, "OLD\r\n");
        QFile held(folder.file(u"tmp.vkp"_s));
        ASSERT_TRUE(held.open(QIODevice::ReadOnly));
        std::thread letGo;
        if (c.heldMs >= 0)
            letGo = std::thread([&] { QThread::msleep(c.heldMs); held.close(); });
        holder.setText(u"NEW"_s);
        const Status failure = ExportPatchText(holder.text());
        if (letGo.joinable())
            letGo.join();
        if (c.replaced) {
            EXPECT_FALSE(failure) << failure->message().toStdString();
            EXPECT_EQ(folder.read(u"tmp.vkp"_s), "NEW\r\n");
        } else {
            ASSERT_TRUE(failure);
            EXPECT_EQ(firstLine(*failure), exportFailed);
            EXPECT_EQ(failure->reason, heldElsewhere);
            EXPECT_EQ(folder.read(u"tmp.vkp"_s), "OLD\r\n");
        }
        // Whoever holds it reads the old file whole, and no temporary file stays.
        if (held.isOpen()) {
            EXPECT_EQ(held.readAll(), "OLD\r\n");
        }
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{u"tmp.vkp"_s});
    }
}

TEST_F(Handover, AReaderNeverSeesATornFile)
{
    const QString first = QStringLiteral("\r\n") + QString(20000, u'1');
    const QString second = QStringLiteral("\r\n") + QString(70000, u'ж');
    QByteArray firstBytes, secondBytes;
    encodeCodePage(first + u"\r\n"_s, firstBytes);
    encodeCodePage(second + u"\r\n"_s, secondBytes);
    holder.setText(first);
    ASSERT_FALSE(ExportPatchText(holder.text()));

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
    // Each refused replace is retried for a second, so the run is bounded in time too.
    int written = 0, refused = 0, tries = 0;
    QElapsedTimer clock;
    clock.start();
    for (; tries < 400 && clock.elapsed() < 15000; ++tries) {
        holder.setText(tries % 2 ? first : second);
        const Status failure = ExportPatchText(holder.text());
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
    EXPECT_EQ(written + refused, tries);
    EXPECT_GT(written, 0);
#else
    EXPECT_EQ(unopened, 0);
    EXPECT_EQ(written, tries);
#endif
}
