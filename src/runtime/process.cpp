#include "process.h"

#include <QFileInfo>
#include <QProcess>
#include <QThread>

Status startScriptDetached(const QString &scriptPath)
{
    const auto fail = [&](const QString &reason) {
        return Failure{QStringLiteral("Не удалось запустить сценарий."), scriptPath, reason};
    };
    const QFileInfo info(scriptPath);
    if (!info.exists())
        return fail(QStringLiteral("файл не найден"));
    if (!info.isFile())
        return fail(QStringLiteral("это не обычный файл"));

    QProcess process;
    if (auto reason = prepareScript(process, info))
        return fail(*reason);
    // Hidden means no console either: and a script that outlives us must not
    // hold on to our terminal or to the pipes of whoever started us.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    // A start that fails has run nothing, so it may be tried again: under Wine
    // a start now and then fails for a moment.
    for (int attempt = 1; !process.startDetached(); ++attempt) {
        if (attempt == 3)
            return fail(QStringLiteral("процесс не запустился (%1)").arg(process.errorString()));
        QThread::msleep(100);
    }
    return std::nullopt;
}
