// Listings asked for while others run: what the person asked for last is
// what is told, whatever comes between.
#include "folderlister.h"
#include "support/madeup.h"
#include "support/printers.h"
#include "support/wait.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace Qt::StringLiterals;

namespace {

enum class Op {
    Choose,
    LookAgain,           // at the folder shown, with the backup as it was
    LookAgainWithBackup, // the same, with a backup in use from now on
    Pause,               // each file of a listing from now on waits `ms`
    Throw,               // each file of a listing from now on throws
    Sleep,               // `ms` pass with no event handled: a listing ends untold
};

struct Step {
    Op op;
    const char *folder = "";
    int ms = 0;
};

} // namespace

TEST(FolderLister, TellsWhatThePersonAskedForLast)
{
    const QTemporaryDir root;
    writeMadeUp(root.filePath(u"small"_s), madeUpPatches(4, 1 << 20, 2));
    writeMadeUp(root.filePath(u"large"_s), madeUpPatches(60, 1 << 20, 2));
    QFile flash(root.filePath(u"full.bin"_s));
    ASSERT_TRUE(flash.open(QIODevice::WriteOnly) && flash.resize(1 << 20));
    flash.close();
    Backup backup;
    ASSERT_FALSE(chooseBackup(flash.fileName(), backup));

    const struct {
        const char *name;
        std::vector<Step> steps;
        QStringList told; // folder, and how: chosen, failed, with the backup
    } cases[] = {
        {"a choice stops the one under way", {{Op::Pause, "", 20}, {Op::Choose, "large"}, {Op::Choose, "small"}}, {u"small chosen"_s}},
        {"a look again never replaces a choice", {{Op::Pause, "", 20}, {Op::Choose, "large"}, {Op::LookAgain, "small"}},
         {u"large chosen"_s}},
        {"a look again with a backup takes the choice with it", {{Op::Pause, "", 5}, {Op::Choose, "large"}, {Op::LookAgainWithBackup, "small"}},
         {u"large chosen backup"_s}},
        {"a choice that cannot be listed leaves the one before it",
         {{Op::Pause, "", 20}, {Op::Choose, "large"}, {Op::Choose, "missing"}},
         {u"missing chosen failed"_s, u"large chosen"_s}},
        {"two that cannot be, the one before them",
         {{Op::Pause, "", 20}, {Op::Choose, "small"}, {Op::Choose, "missing"}, {Op::Choose, "gone"}},
         {u"gone chosen failed"_s, u"missing chosen failed"_s, u"small chosen"_s}},
        {"one done and not told yet is dropped for a later one",
         {{Op::Choose, "small"}, {Op::Sleep, "", 500}, {Op::Pause, "", 5}, {Op::Choose, "large"}}, {u"large chosen"_s}},
        {"a look again at the folder shown", {{Op::LookAgain, "small"}}, {u"small"_s}},
        {"what a listing throws fails it", {{Op::Throw}, {Op::Choose, "small"}}, {u"small chosen failed"_s}},
        {"no folder shown: nothing to look at", {{Op::LookAgain, ""}}, {}},
    };
    for (const auto &c : cases) {
        QStringList told;
        FolderLister lister([&](const FolderListing &listing) {
            const bool marked = !listing.folder.patches.empty() && listing.folder.patches.front().againstBackup.has_value();
            told += QFileInfo(listing.asked).fileName() + (listing.chosen ? u" chosen"_s : QString())
                + (listing.failure ? u" failed"_s : QString()) + (marked ? u" backup"_s : QString());
        });
        for (const Step &step : c.steps) {
            const QString folder = *step.folder ? root.filePath(QString::fromLatin1(step.folder)) : QString();
            switch (step.op) {
            case Op::Choose:
                lister.choose(folder, std::nullopt);
                break;
            case Op::LookAgain:
                lister.refresh(folder, std::nullopt);
                break;
            case Op::LookAgainWithBackup:
                lister.refresh(folder, backup);
                break;
            case Op::Pause:
                lister.setBeforeEachFile([ms = step.ms] { QThread::msleep(ms); });
                break;
            case Op::Throw:
                lister.setBeforeEachFile([] { throw std::runtime_error("made up"); });
                break;
            case Op::Sleep:
                QThread::msleep(step.ms);
                break;
            }
        }
        EXPECT_TRUE(waitUntil([&] { return !lister.busy(); }, 20000)) << c.name;
        EXPECT_EQ(told, c.told) << c.name;
    }
}

// Closing the window while a large folder is listed: the listing stops at
// its next file, where finishing it would take minutes.
TEST(FolderLister, StopsWhenTheWindowCloses)
{
    const QTemporaryDir root;
    writeMadeUp(root.filePath(u"large"_s), madeUpPatches(238, 1 << 20, 2));
    QElapsedTimer closing;
    bool told = false;
    {
        FolderLister lister([&](const FolderListing &) { told = true; });
        lister.setBeforeEachFile([] { QThread::msleep(500); });
        lister.choose(root.filePath(u"large"_s), std::nullopt);
        QThread::msleep(100);
        closing.start();
    }
    // Far below the two minutes the whole listing would take: no waiting for it.
    EXPECT_LT(closing.elapsed(), 10000);
    EXPECT_FALSE(told);
}
