#include "assembly/assembly.h"

#include "support/printers.h"
#include "support/programfolder.h"

#include "runtime/codepage.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {
const QString CRLF = QStringLiteral("\r\n");
}

TEST(PatchBlock, CopiesLinesWholeWhateverTheirEnds)
{
    struct Case {
        const char *name;
        QByteArray file;
        QByteArray block;
    } cases[] = {
        {"empty file", "", "\r\n"},
        {"CR LF", "A\r\nB\r\n", "\r\nA\r\nB\r\n"},
        {"LF", "A\nB\n", "\r\nA\r\nB\r\n"},
        {"CR", "A\rB\r", "\r\nA\r\nB\r\n"},
        {"mixed", "A\r\n\nB\r\rC", "\r\nA\r\n\r\nB\r\n\r\nC\r\n"},
        {"no final line end", "A\r\nB", "\r\nA\r\nB\r\n"},
        {"one blank line", "\r\n", "\r\n\r\n"},
        {"commas and quotes", "00123456: FFFFFFFF \"ab\",0102\r\n0A1B2C: 1112,13,1415",
         "\r\n00123456: FFFFFFFF \"ab\",0102\r\n0A1B2C: 1112,13,1415\r\n"},
        {"edge blanks and tabs", "  x ,\t y  \r\nz, ", "\r\n  x ,\t y  \r\nz, \r\n"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(patchBlock(c.file), c.block) << c.name;
}

class Assembly : public ::testing::Test
{
protected:
    ProgramFolder folder;
    PlainTextHolder holder;
};

TEST_F(Assembly, AppendsInTheShapeOfSuccessivePicks)
{
    folder.write(QStringLiteral("d0.h"), "A\r\nB\r\n");
    folder.write(QStringLiteral("f1.h"), "C");
    folder.write(QStringLiteral("o7.h"), "");

    ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 0));
    EXPECT_EQ(holder.text(), u"\r\nA\r\nB\r\n");
    ASSERT_FALSE(AppendPatchFile(holder, Category::Fast, 1));
    EXPECT_EQ(holder.text(), u"\r\nA\r\nB\r\n\r\nC\r\n");
    ASSERT_FALSE(AppendPatchFile(holder, Category::Fast, 1));
    EXPECT_EQ(holder.text(), u"\r\nA\r\nB\r\n\r\nC\r\n\r\nC\r\n");

    ClearPatchText(holder);
    EXPECT_EQ(holder.text(), u"");
    ASSERT_FALSE(AppendPatchFile(holder, Category::Other, 7));
    EXPECT_EQ(holder.text(), CRLF);
}

TEST_F(Assembly, KeepsEveryByteOfALine)
{
    const QByteArray line = everyLineByte();
    folder.write(QStringLiteral("o0.h"), line + "\r\n");
    ASSERT_FALSE(AppendPatchFile(holder, Category::Other, 0));
    const QString text = holder.text();
    ASSERT_EQ(text.size(), 2 + line.size() + 2);
    EXPECT_EQ(text.mid(2, line.size()), decodeCodePage(line));
}

TEST_F(Assembly, RefusesWhatIsNotAReadablePatchFileAndKeepsTheText)
{
    folder.write(QStringLiteral("d0.h"), "KEEP");
    ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 0));
    const QString before = holder.text();

    QDir(folder.path()).mkdir(QStringLiteral("d1.h"));
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.file(QStringLiteral("d2.h"))).constData(), 0600), 0);
    QFile::link(folder.file(QStringLiteral("d3.h")), folder.file(QStringLiteral("d3.h")));
    QFile big(folder.file(QStringLiteral("d4.h")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(maxPatchFileBytes + 1));
    big.close();

    struct Case {
        Category category;
        int index;
        const char *name;
        const char *reason;
    } cases[] = {
        {Category::Del, 5, "d5.h", "файл не найден"},
        {Category::Other, -1, "o-1.h", "файл не найден"},
        {Category::Del, 1, "d1.h", "это папка"},
        {Category::Del, 2, "d2.h", "не обычный файл"}, // a FIFO must not block
        {Category::Del, 3, "d3.h", "по кругу"},
        {Category::Del, 4, "d4.h", "больше 64 МиБ"},
    };
    for (const Case &c : cases) {
        const Status failure = AppendPatchFile(holder, c.category, c.index);
        ASSERT_TRUE(failure) << c.name;
        EXPECT_EQ(failure->file, folder.file(QLatin1String(c.name)));
        EXPECT_TRUE(failure->reason.contains(QString::fromUtf8(c.reason))) << failure->reason.toStdString();
        EXPECT_TRUE(failure->message().contains(QLatin1String(c.name)));
        EXPECT_EQ(holder.text(), before) << c.name;
    }
}

TEST(AssemblyFolder, WorksInAFolderWithAnAwkwardName)
{
    const ProgramFolder folder(QStringLiteral("a b \"q\" ; $(touch pwned) `x` Прошивка"));
    folder.write(QStringLiteral("f0.h"), "X");
    PlainTextHolder holder;
    ASSERT_FALSE(AppendPatchFile(holder, Category::Fast, 0));
    EXPECT_EQ(holder.text(), u"\r\nX\r\n");
}
