#pragma once

#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <optional>
#include <utility>

// One thread for every job of a kind, as Qt's Mandelbrot example renders: a
// new job restarts the one under way where it next asks whether it is still
// wanted, closing aborts it there, and the thread sleeps while there is
// nothing to do. What jobs keep between them lives in the derived class, on
// the thread.
template <typename Job>
class Restartable : public QThread
{
public:
    void post(Job job)
    {
        const QMutexLocker lock(&m_mutex);
        m_job = std::move(job);
        if (!isRunning()) {
            start(LowPriority);
        } else {
            m_restart = true;
            m_wake.wakeOne();
        }
    }

protected:
    // Ends the thread once the job under way asks: from the derived class's
    // destructor, while what its jobs use still stands.
    void stop()
    {
        {
            const QMutexLocker lock(&m_mutex);
            m_abort = true;
            m_wake.wakeOne();
        }
        wait();
    }
    // No later job came, and the thread is not closing.
    bool wanted()
    {
        const QMutexLocker lock(&m_mutex);
        return !m_restart && !m_abort;
    }
    // Does a job, on the thread, with nothing locked.
    virtual void work(const Job &job) = 0;

    // Also for what the window's thread and the jobs share.
    QMutex m_mutex;

private:
    void run() override
    {
        forever {
            m_mutex.lock();
            while (!m_job && !m_abort)
                m_wake.wait(&m_mutex);
            if (m_abort)
                return m_mutex.unlock();
            const Job job = *std::exchange(m_job, std::nullopt);
            m_restart = false;
            m_mutex.unlock();
            work(job);
        }
    }

    QWaitCondition m_wake;
    std::optional<Job> m_job;
    bool m_restart = false;
    bool m_abort = false;
};
