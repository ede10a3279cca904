#pragma once

#include "patchfolder/patchfolder.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>

// A folder listed, or why not.
struct FolderListing {
    QString asked;       // the folder asked for
    bool chosen = false; // by the person, where the window only looked again
    PatchFolder folder;
    Status failure;
    Status backupFailure;
};

// Lists folders of patches on a thread of its own: a large folder takes a
// while, and the window must not freeze meanwhile. What the person asked
// for last wins: a choice stops the listing under way at once, a look again
// never replaces a choice, and a listing nobody wants any more is dropped.
// A choice that cannot be listed changes nothing: the one before it stands,
// even one that was still being read.
class FolderLister : public QObject
{
    Q_OBJECT

public:
    explicit FolderLister(std::function<void(const FolderListing &)> report, QObject *parent = nullptr);
    ~FolderLister() override; // stops the listing under way, waiting only for the file it reads

    // The person chose `folder`: it is listed from now on, if it can be.
    void choose(const QString &folder, const std::optional<Backup> &backup);
    // The window looks again at the folder in use, `inUse`, perhaps with
    // another backup; or at the one chosen, while it is not shown yet.
    void refresh(const QString &inUse, const std::optional<Backup> &backup);
    // A listing is wanted and not told yet.
    bool busy() const { return m_wanted.has_value(); }
    // The one wanted is a look again that may well find all as it was: the
    // folder shown, with the backup it was listed against.
    bool quiet() const { return m_wanted && m_wanted->quiet; }

    // Runs on the lister's thread before each file a listing reads: tests
    // slow listings down with it, so that what a person does lands while one
    // runs. What it throws ends that listing as a failure.
    void setBeforeEachFile(std::function<void()> call);

private:
    struct Request {
        QString folder;
        bool chosen;        // every request says who asked
        bool quiet = false;
    };
    struct Job {
        Request request;
        std::optional<Backup> backup;
        quint64 serial = 0;
    };
    class Worker;
    void start(const Request &request);
    void finished(quint64 serial, FolderListing listing);

    std::function<void(const FolderListing &)> m_report;
    std::optional<Backup> m_backup; // as last asked for
    std::optional<Request> m_wanted;
    quint64 m_serial = 0; // of the one wanted: any other that ends is dropped
    QStringList m_choices; // chosen and not listed yet, the last one last
    std::unique_ptr<Worker> m_worker;
};
