#include "folderlister.h"

#include <utility>

FolderLister::FolderLister(std::function<void(const FolderListing &)> listed)
    : m_listed(std::move(listed))
{
}

FolderLister::~FolderLister()
{
    if (m_worker.joinable())
        m_worker.join();
}

void FolderLister::list(const QString &folder, const std::optional<Backup> &backup)
{
    if (busy())
        m_next = Request{folder, backup};
    else
        start({folder, backup});
}

void FolderLister::start(Request request)
{
    m_worker = std::thread([this, request = std::move(request)] {
        FolderListing listing{request.folder, {}, {}, {}};
        listing.failure = listPatchFolder(request.folder, request.backup, m_memory, listing.folder, listing.backupFailure);
        // Told on the window's thread; dropped if the lister is gone by then.
        QMetaObject::invokeMethod(this, [this, listing] { finished(listing); }, Qt::QueuedConnection);
    });
}

void FolderLister::finished(const FolderListing &listing)
{
    m_worker.join();
    if (m_next) {
        start(*std::exchange(m_next, std::nullopt));
        return;
    }
    m_listed(listing);
}
