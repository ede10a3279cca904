#pragma once

#include "patchfolder/patchfolder.h"

#include <QObject>
#include <functional>
#include <optional>
#include <thread>

// A folder listed, or why not.
struct FolderListing {
    QString asked; // the folder asked for
    PatchFolder folder;
    Status failure;
    Status backupFailure;
};

// Lists a folder of patches away from the window's thread, one listing at a
// time: a large folder takes a while, and the window must not freeze meanwhile.
class FolderLister : public QObject
{
public:
    explicit FolderLister(std::function<void(const FolderListing &)> listed);
    ~FolderLister() override; // waits for a listing under way

    // Lists `folder`, and tells the result back on the window's thread. One
    // asked for while another is under way follows it; only the last asked
    // for is told.
    void list(const QString &folder, const std::optional<Backup> &backup);
    bool busy() const { return m_worker.joinable(); }

private:
    struct Request {
        QString folder;
        std::optional<Backup> backup;
    };
    void start(Request request);
    void finished(const FolderListing &listing);

    std::function<void(const FolderListing &)> m_listed;
    FolderMemory m_memory; // only the worker uses it, one listing at a time
    std::thread m_worker;
    std::optional<Request> m_next;
};
