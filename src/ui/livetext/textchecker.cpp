#include "textchecker.h"

#include "restartable.h"

#include <new>

// The thread keeps what the last check read, so the next reads again only
// what changed; a check a later edit made stale is not told.
class TextChecker::Worker : public Restartable<TextChecker::Job>
{
public:
    explicit Worker(TextChecker *checker) : m_checker(checker) {}
    ~Worker() override { stop(); }

protected:
    void work(const Job &job) override
    {
        TextCheck check;
        // What goes wrong unforeseen leaves the text unchecked rather than
        // ending the program; the next edit checks it again.
        try {
            check = m_live.check(job.text, job.backup);
        } catch (const std::bad_alloc &) {
            m_live = LiveCheck();
            return;
        }
        if (!wanted())
            return;
        QMetaObject::invokeMethod(m_checker, [checker = m_checker, serial = job.serial, check = std::move(check)] {
            checker->finished(serial, check);
        }, Qt::QueuedConnection);
    }

private:
    TextChecker *const m_checker;
    LiveCheck m_live; // only the thread touches it
};

TextChecker::TextChecker(Source source, QObject *parent)
    : QObject(parent)
    , m_source(std::move(source))
    , m_worker(std::make_unique<Worker>(this))
{
    m_pause.setSingleShot(true);
    m_pause.setInterval(300);
    connect(&m_pause, &QTimer::timeout, this, &TextChecker::start);
}

TextChecker::~TextChecker() = default;

void TextChecker::edited()
{
    m_pause.start();
}

void TextChecker::checkNow()
{
    m_pause.stop();
    start();
}

void TextChecker::start()
{
    m_worker->post({m_source.text(), m_source.backup(), ++m_serial});
}

void TextChecker::finished(quint64 serial, const TextCheck &check)
{
    if (serial != m_serial)
        return;
    m_told = serial;
    emit checked(check);
}
