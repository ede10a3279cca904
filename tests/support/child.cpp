#include "child.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {
constexpr char childVariable[] = "KELVARINE_CHILD_RUN";
}

bool isChildRun()
{
    return qEnvironmentVariableIsSet(childVariable);
}

QByteArray runThisTestInChild(const QString &folder, const QString &workingDirectory)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    QString program = QCoreApplication::applicationFilePath();
    if (!folder.isEmpty()) {
        const QString copy = QDir(folder).filePath(QFileInfo(program).fileName());
        if (!QFile::copy(program, copy)) {
            ADD_FAILURE() << "cannot copy the test binary to " << copy.toStdString();
            return {};
        }
        program = copy;
    }
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childVariable), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.setWorkingDirectory(workingDirectory);
    child.start(program, {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
    // Within ctest's timeout for the parent, so that a child that hangs is
    // ended here rather than left behind.
    const bool finished = child.waitForFinished(45000);
    if (!finished)
        child.kill();
    const QByteArray out = child.readAllStandardOutput(), err = child.readAllStandardError();
    EXPECT_TRUE(finished && child.exitCode() == 0 && out.contains("[  PASSED  ] 1 test"))
        << out.constData() << err.constData();
    return out + err;
}
