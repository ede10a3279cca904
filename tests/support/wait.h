#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

// Handles events until `done` holds or `ms` have passed; whether it holds.
// QTRY_VERIFY in a GoogleTest test returns quietly when it times out, so a
// wait that never ends well would pass: every wait goes through here.
template <typename Done>
bool waitUntil(Done done, int ms = 5000)
{
    const QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

// A wait that fails the test when `condition` does not come to hold.
#define WAIT_FOR(condition) EXPECT_TRUE(waitUntil([&] { return bool(condition); })) << "waited in vain for " #condition
#define WAIT_FOR_WITHIN(condition, ms) \
    EXPECT_TRUE(waitUntil([&] { return bool(condition); }, ms)) << "waited in vain for " #condition
