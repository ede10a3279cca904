#include "assembly/assembly.h"
#include "handover/handover.h"

#include "support/printers.h"
#include "support/programfolder.h"
#include "support/reference.h"

#include <QDir>
#include <QRandomGenerator>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

class Survives : public ::testing::Test
{
protected:
    // Appends `bytes` as a patch file and hands the text over; tmp.vkp must be
    // the reference, byte for byte.
    void roundTrip(const QByteArray &bytes)
    {
        folder.write(u"d6.h"_s, bytes);
        PlainTextHolder holder;
        ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 6));
        ASSERT_FALSE(ExportPatchText(holder.text()));
        EXPECT_TRUE(folder.read(u"tmp.vkp"_s) == referenceExport(bytes));
    }

    ProgramFolder folder;
};

TEST_F(Survives, OddPatchFilesComeOutByteForByte)
{
    QRandomGenerator random(1251);
    QByteArray garbage(256 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32 *>(garbage.data()), garbage.size() / 4);

    const struct {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"binary garbage", garbage},
        {"one 10 MiB line", QByteArray(10 * 1024 * 1024, 'F')},
        {"NUL bytes", QByteArray("A\0B\r\n\0\0\r\n", 9)},
        {"mixed line ends", "a\rb\nc\r\nd\n\re\r\r\nf"},
        {"no final line end", "0A1B2C: 1112,13,1415"},
        {"comma and blanks at the end", "x, \r\ny ,  "},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        roundTrip(c.bytes);
    }
}

TEST_F(Survives, AProgramDirectoryRemovedWhileRunning)
{
    folder.write(u"d0.h"_s, "A");
    PlainTextHolder holder;
    ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 0));
    QDir(folder.path()).removeRecursively();

    EXPECT_TRUE(AppendPatchFile(holder, Category::Del, 0));
    EXPECT_TRUE(ExportPatchText(holder.text()));
    EXPECT_TRUE(LaunchFlasherScript());
    EXPECT_EQ(holder.text(), u"\r\nA\r\n");
}

TEST(SurvivesScripts, ThatFailOrAreNoScripts)
{
    const struct {
        const char *name;
        QByteArray script;
    } cases[] = {
        {"empty", ""},
        {"failing", "exit 3\n"},
        {"not a script at all", QByteArray("\x7f" "ELF\0\x01\x02", 7)},
    };
    // Started is all the program can know; what the script does next is its own
    // affair. A folder each: a script still starting must not read the next one.
    for (const auto &c : cases) {
        const ProgramFolder folder;
        folder.write(u"shell.bat"_s, c.script);
        EXPECT_FALSE(LaunchFlasherScript()) << c.name;
    }
}
