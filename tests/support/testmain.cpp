#include "support/offscreen.h"

#include <QApplication>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>

namespace {

// Ends the run when one test takes too long: a test that blocks (a FIFO read,
// an event loop never quit) then fails in a minute with its name, instead of
// when ctest gives up on the whole process. KELVARINE_TEST_TIMEOUT sets the
// seconds per test for slow machines; 0 turns the watchdog off, for a debugger.
class Watchdog : public ::testing::EmptyTestEventListener
{
public:
    explicit Watchdog(std::chrono::seconds limit)
        : m_limit(limit)
    {
        if (m_limit.count() > 0)
            m_thread = std::thread([this] { watch(); });
    }

    ~Watchdog() override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_changed.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }

    void OnTestStart(const ::testing::TestInfo &test) override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_test = std::string(test.test_suite_name()) + '.' + test.name();
            m_deadline = std::chrono::steady_clock::now() + m_limit;
            m_armed = true;
        }
        m_changed.notify_one();
    }

    void OnTestEnd(const ::testing::TestInfo &) override
    {
        {
            const std::lock_guard lock(m_mutex);
            m_armed = false;
        }
        m_changed.notify_one();
    }

private:
    void watch()
    {
        std::unique_lock lock(m_mutex);
        while (!m_stopping) {
            if (m_armed && std::chrono::steady_clock::now() >= m_deadline) {
                std::fflush(stdout);
                std::fprintf(stderr, "\n[  HUNG    ] %s: still running after %lld s\n", m_test.c_str(),
                             static_cast<long long>(m_limit.count()));
                std::fflush(stderr);
                std::_Exit(1);
            }
            if (m_armed)
                m_changed.wait_until(lock, m_deadline);
            else
                m_changed.wait(lock);
        }
    }

    const std::chrono::seconds m_limit;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::string m_test;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_armed = false;
    bool m_stopping = false;
    std::thread m_thread;
};

// The longest test takes about 20 s here; Wine starts every process slower.
std::chrono::seconds testTimeLimit()
{
    bool set = false;
    const int seconds = qEnvironmentVariableIntValue("KELVARINE_TEST_TIMEOUT", &set);
    if (set && seconds >= 0)
        return std::chrono::seconds(seconds);
#ifdef Q_OS_WIN
    return std::chrono::seconds(120);
#else
    return std::chrono::seconds(60);
#endif
}

} // namespace

int main(int argc, char **argv)
{
    preferOffscreen();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    Watchdog watchdog(testTimeLimit());
    ::testing::TestEventListeners &listeners = ::testing::UnitTest::GetInstance()->listeners();
    listeners.Append(&watchdog);
    const int result = RUN_ALL_TESTS();
    listeners.Release(&watchdog);
    return result;
}
