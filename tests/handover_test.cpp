#include "handover/handover.h"

#include "assembly/assembly.h"
#include "runtime/codepage.h"
#include "support/printers.h"
#include "support/programfolder.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Writes "<working directory>|<argument count>" to a marker once started, and
// "done" after a pause, each through a rename so a poller never sees half.
const QByteArray markerScript =
    "printf '%s|%s' \"$(pwd)\" \"$#\" > started.tmp && mv started.tmp started\n"
    "sleep 2\n"
    "echo done > done.tmp && mv done.tmp done\n";

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
    holder.setText(QStringLiteral("\r\nok\r\nпатч 😀\r\n"));
    const Status failure = ExportPatchText(holder);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->reason.contains(QStringLiteral("«😀» (U+1F600) в строке 3"))) << failure->reason.toStdString();
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "OLD");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("tmp.vkp")});
}

TEST_F(Handover, ReportsADirectoryInPlaceOfTheFile)
{
    QDir(folder.path()).mkdir(QStringLiteral("tmp.vkp"));
    holder.setText(QStringLiteral("x"));
    const Status failure = ExportPatchText(holder);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, folder.file(QStringLiteral("tmp.vkp")));
    EXPECT_TRUE(failure->message().contains(QStringLiteral("tmp.vkp")));
    EXPECT_EQ(holder.text(), u"x");
}

TEST_F(Handover, ReportsAGoneProgramDirectory)
{
    QDir(folder.path()).removeRecursively();
    const Status failure = ExportPatchText(holder);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, folder.file(QStringLiteral("tmp.vkp")));
}

TEST_F(Handover, ReportsAMissingOrOddScriptAfterTheFileIsWritten)
{
    ASSERT_FALSE(ExportPatchText(holder));
    Status failure = LaunchFlasherScript();
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->file, folder.file(QStringLiteral("shell.bat")));
    EXPECT_TRUE(failure->reason.contains(QStringLiteral("не найден")));
    EXPECT_EQ(folder.read(QStringLiteral("tmp.vkp")), "\r\n");

    QDir(folder.path()).mkdir(QStringLiteral("shell.bat"));
    failure = LaunchFlasherScript();
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->reason.contains(QStringLiteral("не обычный файл")));
}

TEST(HandoverScript, RunsExactlyTheScriptInItsFolderAndDoesNotWait)
{
    // Every character here would run something if a shell parsed the path.
    const ProgramFolder folder(QStringLiteral("a b \"q\" 'p' ; $(touch pwned) `touch pwned` Прошивка"));
    folder.write(QStringLiteral("shell.bat"), markerScript);

    ASSERT_FALSE(LaunchFlasherScript());
    EXPECT_FALSE(folder.exists(QStringLiteral("done"))); // it returned while the script sleeps

    ASSERT_TRUE(waitForFile(folder.file(QStringLiteral("started"))));
    EXPECT_EQ(QString::fromUtf8(folder.read(QStringLiteral("started"))), folder.path() + u"|0"_s);
    ASSERT_TRUE(waitForFile(folder.file(QStringLiteral("done"))));
    EXPECT_FALSE(QFileInfo::exists(folder.root() + u"/pwned"_s));
    EXPECT_FALSE(QFileInfo::exists(folder.file(QStringLiteral("pwned"))));
    EXPECT_FALSE(QFileInfo::exists(QDir::currentPath() + u"/pwned"_s));
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

    std::atomic<bool> writing = true;
    std::atomic<int> reads = 0, torn = 0;
    std::thread reader([&] {
        while (writing) {
            const QByteArray seen = folder.read(QStringLiteral("tmp.vkp"));
            if (seen != firstBytes && seen != secondBytes)
                ++torn;
            ++reads;
        }
    });
    for (int i = 0; i < 400; ++i) {
        holder.setText(i % 2 ? first : second);
        ASSERT_FALSE(ExportPatchText(holder));
    }
    writing = false;
    reader.join();
    EXPECT_GT(reads, 0);
    EXPECT_EQ(torn, 0);
}
