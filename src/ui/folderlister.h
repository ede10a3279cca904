#pragma once

#include "patchfolder/patchfolder.h"

#include <QFutureWatcher>
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

// A folder listed, or why not.
struct FolderListing {
    QString asked;       // the folder asked for
    bool chosen = false; // by the person, where the window only looked again
    PatchFolder folder;
    Status failure;
    Status backupFailure;
    FolderMemory memory; // what the lister knows from now on
};

// Lists folders of patches away from the window's thread: a large folder
// takes a while, and the window must not freeze meanwhile. What the person
// asked for last wins: a choice stops the listing under way at once, a look
// again never replaces a choice, and a listing nobody wants any more is
// dropped. A choice that cannot be listed changes nothing: the one before
// it stands, even one that was still being read.
class FolderLister : public QObject
{
public:
    explicit FolderLister(std::function<void(const FolderListing &)> listed);
    ~FolderLister() override; // stops every listing, waiting only for the file each reads

    // The person chose `folder`: it is listed from now on, if it can be.
    void choose(const QString &folder, const std::optional<Backup> &backup);
    // The window looks again at the folder in use, `shown`, perhaps with
    // another backup; or at the one chosen, while it is not shown yet.
    void refresh(const QString &shown, const std::optional<Backup> &backup);
    // A listing is wanted and not told yet.
    bool busy() const { return m_wanted.has_value(); }

    // Each file a listing reads waits this long first: tests slow listings
    // down so that what a person does lands while one runs.
    static void setPause(std::chrono::milliseconds perFile);

private:
    struct Request {
        QString folder;
        bool chosen;
    };
    struct Run {
        QFutureWatcher<FolderListing> watcher;
        std::thread thread;
    };
    void start(const Request &request);
    void finished(Run *run);

    std::function<void(const FolderListing &)> m_listed;
    FolderMemory m_memory; // a listing works on its own copy and hands it back
    std::optional<Backup> m_backup; // as last asked for
    std::optional<Request> m_wanted;
    QStringList m_choices; // chosen and not listed yet, the last one last
    std::vector<std::unique_ptr<Run>> m_runs; // the last one is the wanted one
};
