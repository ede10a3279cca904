#include "folderlister.h"

#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <exception>
#include <new>

// One thread for every listing, as Qt's Mandelbrot example renders: a new
// request restarts it between two files, closing aborts it there, and it
// sleeps while there is nothing to do.
class FolderLister::Worker : public QThread
{
public:
    explicit Worker(FolderLister *lister) : m_lister(lister) {}

    ~Worker() override
    {
        {
            const QMutexLocker lock(&m_mutex);
            m_abort = true;
            m_wake.wakeOne();
        }
        wait();
    }

    void list(const Request &request, const std::optional<Backup> &backup, quint64 serial)
    {
        const QMutexLocker lock(&m_mutex);
        m_job = Job{request, backup, serial};
        if (!isRunning()) {
            start(LowPriority);
        } else {
            m_restart = true;
            m_wake.wakeOne();
        }
    }

    void setBeforeEachFile(std::function<void()> call)
    {
        const QMutexLocker lock(&m_mutex);
        m_beforeEachFile = std::move(call);
    }

protected:
    void run() override
    {
        // Only this thread reads and writes it; a listing works on a copy,
        // kept when it ends.
        FolderMemory memory;
        forever {
            m_mutex.lock();
            while (!m_job && !m_abort)
                m_wake.wait(&m_mutex);
            if (m_abort)
                return m_mutex.unlock();
            const Job job = *std::exchange(m_job, std::nullopt);
            m_restart = false;
            m_mutex.unlock();

            FolderMemory copy = memory;
            FolderListing listing{job.request.folder, job.request.chosen, {}, {}, {}};
            listing.failure = listSafely(job, copy, listing);
            const QMutexLocker lock(&m_mutex);
            if (m_abort)
                return;
            if (m_restart)
                continue;
            memory = std::move(copy);
            QMetaObject::invokeMethod(m_lister, [lister = m_lister, serial = job.serial, listing = std::move(listing)]() mutable {
                lister->finished(serial, std::move(listing));
            }, Qt::QueuedConnection);
        }
    }

private:
    struct Job {
        Request request;
        std::optional<Backup> backup;
        quint64 serial = 0;
    };

    // What goes wrong unforeseen (memory running out) fails the listing, as
    // a folder that cannot be read does, rather than ending the program.
    Status listSafely(const Job &job, FolderMemory &memory, FolderListing &listing)
    {
        const GoOn goOn = [this] {
            std::function<void()> before;
            {
                const QMutexLocker lock(&m_mutex);
                if (m_restart || m_abort)
                    return false;
                before = m_beforeEachFile;
            }
            if (before)
                before();
            const QMutexLocker lock(&m_mutex);
            return !m_restart && !m_abort;
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
    QMutex m_mutex;
    QWaitCondition m_wake;
    std::optional<Job> m_job;
    bool m_restart = false;
    bool m_abort = false;
    std::function<void()> m_beforeEachFile;
};

FolderLister::FolderLister(std::function<void(const FolderListing &)> listed, QObject *parent)
    : QObject(parent)
    , m_listed(std::move(listed))
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

void FolderLister::refresh(const QString &shown, const std::optional<Backup> &backup)
{
    const bool anotherBackup = backup != m_backup;
    m_backup = backup;
    if (m_wanted) {
        // The listing under way began just now; only another backup makes it stale.
        if (anotherBackup)
            start({m_wanted->folder, m_wanted->chosen});
        return;
    }
    if (!shown.isEmpty())
        start({shown, false, !anotherBackup});
}

void FolderLister::start(const Request &request)
{
    m_wanted = request;
    m_worker->list(request, m_backup, ++m_serial);
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
    m_listed(listing);
}
