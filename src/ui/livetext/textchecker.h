#pragma once

#include "textcheck/textcheck.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

// Checks the patch text on a thread of its own as it is edited: once typing
// pauses, so that typing never waits for it, the last edit winning. A check
// nobody wants any more is dropped when it ends.
class TextChecker : public QObject
{
    Q_OBJECT

public:
    // What to check, asked for when a check starts: the text as it then
    // stands, and the backup in use.
    struct Source {
        std::function<QString()> text;
        std::function<std::optional<Backup>()> backup;
    };
    explicit TextChecker(Source source, QObject *parent = nullptr);
    ~TextChecker() override; // waits only for the check under way

    // The text was edited: checked once typing pauses, which costs a key
    // press nothing but the timer's start.
    void edited();
    // Checked at once, as when another backup is taken.
    void checkNow();
    // A check is wanted and not told yet.
    bool busy() const { return m_pause.isActive() || m_serial != m_told; }
    // How long typing pauses before a check: tests that type a lot wait less.
    void setPause(int ms) { m_pause.setInterval(ms); }

signals:
    void checked(const TextCheck &check);

private:
    struct Job {
        QString text;
        std::optional<Backup> backup;
        quint64 serial;
    };
    class Worker;
    void start();
    void finished(quint64 serial, const TextCheck &check);

    Source m_source;
    QTimer m_pause;
    quint64 m_serial = 0; // of the one wanted
    quint64 m_told = 0;
    std::unique_ptr<Worker> m_worker;
};
