#include "folderlister.h"

#include "restartable.h"

#include <exception>
#include <new>

// A listing restarts between two files when another is asked for.
class FolderLister::Worker : public Restartable<FolderLister::Job>
{
public:
    explicit Worker(FolderLister *lister) : m_lister(lister) {}
    ~Worker() override { stop(); }

    void setBeforeEachFile(std::function<void()> call)
    {
        const QMutexLocker lock(&m_mutex);
        m_beforeEachFile = std::move(call);
    }

protected:
    void work(const Job &job) override
    {
        // A listing works on a copy of what the thread remembers, kept when it ends.
        FolderMemory copy = m_memory;
        FolderListing listing{job.request.folder, job.request.chosen, {}, {}, {}};
        listing.failure = listSafely(job, copy, listing);
        if (!wanted())
            return;
        m_memory = std::move(copy);
        QMetaObject::invokeMethod(m_lister, [lister = m_lister, serial = job.serial, listing = std::move(listing)]() mutable {
            lister->finished(serial, std::move(listing));
        }, Qt::QueuedConnection);
    }

private:
    // What goes wrong unforeseen (memory running out) fails the listing, as
    // a folder that cannot be read does, rather than ending the program.
    Status listSafely(const Job &job, FolderMemory &memory, FolderListing &listing)
    {
        const GoOn goOn = [this] {
            if (!wanted())
                return false;
            std::function<void()> before;
            {
                const QMutexLocker lock(&m_mutex);
                before = m_beforeEachFile;
            }
            if (before)
                before();
            return wanted();
        };
        const auto failed = [&](const QString &reason) {
            return Failure{QStringLiteral("Не удалось открыть папку с патчами."), job.request.folder, reason};
        };
        try {
            return listPatchFolder(job.request.folder, job.backup, memory, listing.folder, listing.backupFailure, goOn);
        } catch (const std::bad_alloc &) {
            return failed(QStringLiteral("не хватило памяти"));
        } catch (...) {
            return failed(QStringLiteral("сбой программы при чтении папки"));
        }
    }

    FolderLister *const m_lister;
    FolderMemory m_memory; // only the thread touches it
    std::function<void()> m_beforeEachFile;
};

FolderLister::FolderLister(std::function<void(const FolderListing &)> report, QObject *parent)
    : QObject(parent)
    , m_report(std::move(report))
    , m_worker(std::make_unique<Worker>(this))
{
}

FolderLister::~FolderLister() = default;

void FolderLister::setBeforeEachFile(std::function<void()> call)
{
    m_worker->setBeforeEachFile(std::move(call));
}

void FolderLister::choose(const QString &folder, const std::optional<Backup> &backup)
{
    m_backup = backup;
    m_choices += folder;
    start({folder, true});
}

void FolderLister::refresh(const QString &inUse, const std::optional<Backup> &backup)
{
    const bool anotherBackup = backup != m_backup;
    m_backup = backup;
    if (m_wanted) {
        // The listing under way began just now; only another backup makes it stale.
        if (anotherBackup)
            start({m_wanted->folder, m_wanted->chosen});
        return;
    }
    if (!inUse.isEmpty())
        start({inUse, false, !anotherBackup});
}

void FolderLister::start(const Request &request)
{
    m_wanted = request;
    m_worker->post({request, m_backup, ++m_serial});
}

void FolderLister::finished(quint64 serial, FolderListing listing)
{
    // Ended before a later request came, and told only after it.
    if (serial != m_serial || !m_wanted)
        return;
    m_wanted.reset();
    if (listing.chosen) {
        if (!listing.failure)
            m_choices.clear();
        else if (m_choices.removeLast(); !m_choices.isEmpty())
            start({m_choices.last(), true}); // the choice before it stands
    }
    m_report(listing);
}
