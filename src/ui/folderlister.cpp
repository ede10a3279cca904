#include "folderlister.h"

#include <QPromise>
#include <algorithm>
#include <atomic>
#include <utility>

namespace {

std::atomic<std::chrono::milliseconds::rep> pauseMs = 0;

} // namespace

FolderLister::FolderLister(std::function<void(const FolderListing &)> listed)
    : m_listed(std::move(listed))
{
}

FolderLister::~FolderLister()
{
    for (const auto &run : m_runs)
        run->watcher.future().cancel();
    for (const auto &run : m_runs)
        run->thread.join();
}

void FolderLister::setPause(std::chrono::milliseconds perFile)
{
    pauseMs = perFile.count();
}

void FolderLister::choose(const QString &folder, const std::optional<Backup> &backup)
{
    m_backup = backup;
    m_choices += folder;
    start({folder, true});
}

void FolderLister::refresh(const QString &shown, const std::optional<Backup> &backup)
{
    const bool anotherBackup = backup != m_backup;
    m_backup = backup;
    if (m_wanted) {
        // The listing under way began just now; only another backup makes it stale.
        if (anotherBackup)
            start(*m_wanted);
        return;
    }
    if (!shown.isEmpty())
        start({shown, false});
}

void FolderLister::start(const Request &request)
{
    // Whatever is under way is no longer wanted: it stops at its next file.
    for (const auto &run : m_runs)
        run->watcher.future().cancel();
    m_wanted = request;
    QPromise<FolderListing> promise;
    auto run = std::make_unique<Run>();
    // Queued: the run is taken away after the watcher has said its piece.
    connect(&run->watcher, &QFutureWatcherBase::finished, this, [this, at = run.get()] { finished(at); },
            Qt::QueuedConnection);
    run->watcher.setFuture(promise.future());
    run->thread = std::thread([promise = std::move(promise), request, backup = m_backup, memory = m_memory]() mutable {
        promise.start();
        FolderListing listing{request.folder, request.chosen, {}, {}, {}, std::move(memory)};
        const GoOn goOn = [&promise] {
            if (const auto ms = pauseMs.load())
                std::this_thread::sleep_for(std::chrono::milliseconds(ms));
            return !promise.isCanceled();
        };
        listing.failure = listPatchFolder(request.folder, backup, listing.memory, listing.folder,
                                          listing.backupFailure, goOn);
        promise.addResult(std::move(listing)); // a cancelled promise keeps nothing
        promise.finish();
    });
    m_runs.push_back(std::move(run));
}

void FolderLister::finished(Run *run)
{
    run->thread.join();
    // Only the last run can be wanted: every one before it was stopped, or
    // had ended but not yet been told when a later request came.
    const bool wanted = run == m_runs.back().get() && m_wanted;
    std::optional<FolderListing> listing;
    if (wanted)
        listing = run->watcher.result();
    std::erase_if(m_runs, [run](const auto &r) { return r.get() == run; });
    if (!listing)
        return;
    m_wanted.reset();
    if (listing->chosen) {
        if (!listing->failure)
            m_choices.clear();
        else if (m_choices.removeLast(); !m_choices.isEmpty())
            start({m_choices.last(), true}); // the choice before it stands
    }
    m_memory = std::move(listing->memory);
    m_listed(*listing);
}
