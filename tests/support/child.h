#pragma once

#include <QByteArray>
#include <QString>

// Whether this process is a child that a test started to run itself again.
bool isChildRun();

// Runs the current test again in a child process, which knows itself by
// isChildRun(): from a copy of this binary in `folder` when one is given, so
// that the child's executable lies there, and in `workingDirectory`. Fails
// the test unless the child passes; returns its output.
QByteArray runThisTestInChild(const QString &folder = {}, const QString &workingDirectory = {});
