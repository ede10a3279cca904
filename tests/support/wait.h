#pragma once

#include <QTest>
#include <gtest/gtest.h>

// Handles events until `done` holds or `ms` have passed; whether it holds.
// QTRY_VERIFY in a GoogleTest test returns quietly when it times out, so a
// wait that never ends well would pass: every wait goes through here.
template <typename Done>
bool waitUntil(Done done, int ms = 5000)
{
    return QTest::qWaitFor(done, ms);
}

// A wait that fails the test when `condition` does not come to hold.
#define WAIT_FOR(condition) EXPECT_TRUE(waitUntil([&] { return bool(condition); })) << "waited in vain for " #condition
#define WAIT_FOR_WITHIN(condition, ms) \
    EXPECT_TRUE(waitUntil([&] { return bool(condition); }, ms)) << "waited in vain for " #condition
