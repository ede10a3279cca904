#include "assembly/assembly.h"

#include "support/hold.h"
#include "support/printers.h"
#include "support/programfolder.h"
#include "support/resources.h"
#include "support/script.h"

#include "runtime/codepage.h"
#include "runtime/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <vector>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace Qt::StringLiterals;

namespace {
const QString CRLF = QStringLiteral("\r\n");

// The message as the user reads it: what failed alone on the first line, then
// the file as the system writes it, and the reason.
void expectMessage(const Failure &failure, const QString &summary, const QString &file, const QString &reason)
{
    const QString message = failure.message();
    EXPECT_EQ(message.section(u'\n', 0, 0), summary);
    EXPECT_TRUE(message.contains(u"Файл: "_s + QDir::toNativeSeparators(file) + u'\n')) << message.toStdString();
    EXPECT_TRUE(message.contains(u"Причина: "_s + reason)) << message.toStdString();
}
} // namespace

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
        {"twice as long as it was", QByteArray(100, '\n'), "\r\n" + QByteArray("\r\n").repeated(100)},
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
    QFile big(folder.file(QStringLiteral("d4.h")));
    // Sparse: it takes no room on the disk. It checks the limit the program uses.
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(maxPatchFileBytes + 1));
    big.close();

    struct Case {
        Category category;
        int index;
        const char *name;
        const char *reason;
    };
    std::vector<Case> cases = {
        {Category::Del, 5, "d5.h", "файл не найден"},
        {Category::Other, -1, "o-1.h", "файл не найден"},
        {Category::Del, 1, "d1.h", "это папка, а не файл"},
        {Category::Del, 4, "d4.h", "файл больше 64 МиБ"},
    };
#ifndef Q_OS_WIN
    // POSIX only: FIFOs, symbolic links, and files whose content is longer
    // (/proc) or shorter (/sys) than their size says, as if written while read.
    ASSERT_EQ(mkfifo(QFile::encodeName(folder.file(QStringLiteral("d2.h"))).constData(), 0600), 0);
    QFile::link(folder.file(QStringLiteral("d3.h")), folder.file(QStringLiteral("d3.h")));
    QFile::link(QStringLiteral("/proc/self/status"), folder.file(QStringLiteral("d6.h")));
    cases.push_back({Category::Del, 2, "d2.h", "это не обычный файл (канал или устройство)"}); // must not block
    cases.push_back({Category::Del, 3, "d3.h", "ссылка ведёт на несуществующий файл или по кругу"});
    cases.push_back({Category::Del, 6, "d6.h", "файл изменился во время чтения"});
    const QString shorter = QStringLiteral("/sys/devices/system/cpu/possible");
    if (QFileInfo(shorter).size() > 100) {
        QFile::link(shorter, folder.file(QStringLiteral("d7.h")));
        cases.push_back({Category::Del, 7, "d7.h", "файл изменился во время чтения"});
    } else {
        std::cout << "note: no " << shorter.toStdString() << ", so no file shorter than its size\n";
    }
#endif
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Status failure = AppendPatchFile(holder, c.category, c.index);
        ASSERT_TRUE(failure);
        EXPECT_EQ(failure->file, folder.file(QLatin1String(c.name)));
        EXPECT_EQ(failure->reason, QString::fromUtf8(c.reason));
        expectMessage(*failure, u"Не удалось добавить патч."_s, folder.file(QLatin1String(c.name)),
                      QString::fromUtf8(c.reason) + u'.');
        EXPECT_EQ(holder.text(), before);
    }
}

TEST_F(Assembly, ReadsAFileOfExactlyTheLimitAndRefusesOneByteMore)
{
    constexpr qint64 limit = 100;
    folder.write(QStringLiteral("f0.h"), QByteArray(limit, 'A'));
    folder.write(QStringLiteral("f1.h"), QByteArray(limit + 1, 'B'));

    ASSERT_FALSE(AppendPatchFile(holder, Category::Fast, 0, limit));
    const QString text = CRLF + QString(limit, u'A') + CRLF;
    EXPECT_EQ(holder.text(), text);

    const Status failure = AppendPatchFile(holder, Category::Fast, 1, limit);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, u"файл больше 100 Б"_s);
    EXPECT_EQ(holder.text(), text);
}

// Each append that left its file open would bring the process nearer to the
// point where no file opens any more.
TEST_F(Assembly, KeepsNoFileOpenAfterItsAppends)
{
    folder.write(QStringLiteral("d0.h"), "A\r\n");
    ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 0));
    const int handles = openHandles();
    for (int i = 0; i < 1000; ++i)
        ASSERT_FALSE(AppendPatchFile(holder, Category::Del, 0));
    EXPECT_LT(openHandles(), handles + 10);
}

#ifndef Q_OS_WIN
// There a FIFO or a device can take a patch file's place between the look at
// its name and the open, so the open itself must refuse them. Windows file
// systems hold neither.
TEST(OpenRegularFile, RefusesAtOnceWhatIsNoRegularFileAndKeepsNothingOpen)
{
    const QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    const int handles = openHandles();

    const struct {
        const char *name;
        QString path;
        const char *reason;
    } cases[] = {
        {"a FIFO no one writes to", fifo, "это не обычный файл (канал или устройство)"},
        {"a device", QStringLiteral("/dev/null"), "это не обычный файл (канал или устройство)"},
        {"a folder", dir.filePath(QStringLiteral("folder")), "это папка, а не файл"},
        {"nothing", dir.filePath(QStringLiteral("gone")), "файл не найден"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QFile file(c.path);
        EXPECT_EQ(openRegularFile(file), std::optional(QString::fromUtf8(c.reason)));
        EXPECT_FALSE(file.isOpen());
    }
    EXPECT_EQ(openHandles(), handles);
}
#else
// Only Windows lets a program keep others from reading a file.
TEST_F(Assembly, SaysWhenAnotherProgramHoldsThePatchFile)
{
    folder.write(QStringLiteral("d0.h"), "A");
    const ExclusiveHold hold(folder.file(QStringLiteral("d0.h")));
    ASSERT_TRUE(hold.held());
    const Status failure = AppendPatchFile(holder, Category::Del, 0);
    ASSERT_TRUE(failure);
    EXPECT_EQ(failure->reason, u"файл открыт в другой программе (например, в V_klay): закройте его там и повторите"_s);
    EXPECT_EQ(holder.text(), u""_s);
}
#endif

TEST(AssemblyFolder, WorksInAFolderWithAnAwkwardName)
{
    const ProgramFolder folder(hostileFolderName());
    folder.write(QStringLiteral("f0.h"), "X");
    PlainTextHolder holder;
    ASSERT_FALSE(AppendPatchFile(holder, Category::Fast, 0));
    EXPECT_EQ(holder.text(), u"\r\nX\r\n");
}
