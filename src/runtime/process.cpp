#include "process.h"

#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_WIN
#include <QDir>
#include <windows.h>
#endif

Status startScriptDetached(const QString &scriptPath, const QString &workingDirectory)
{
    const auto fail = [&](const QString &reason) {
        return Failure{QStringLiteral("Не удалось запустить сценарий."), scriptPath, reason};
    };
    const QFileInfo info(scriptPath);
    if (!info.exists())
        return fail(QStringLiteral("файл не найден"));
    if (!info.isFile())
        return fail(QStringLiteral("это не обычный файл"));

    // The path goes to the interpreter as one argument, never through a shell
    // that would parse it, so no character of the folder's name can run anything.
    QProcess process;
#ifdef Q_OS_WIN
    // cmd.exe parses its own command line; /s with the outer quotes keeps the
    // quoted path whole.
    process.setProgram(QStringLiteral("cmd.exe"));
    process.setNativeArguments(QStringLiteral("/d /s /c \"\"%1\"\"")
                                   .arg(QDir::toNativeSeparators(scriptPath)));
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NO_WINDOW;
    });
#else
    process.setProgram(QStringLiteral("/bin/sh"));
    process.setArguments({scriptPath});
#endif
    process.setWorkingDirectory(workingDirectory);
    // Hidden means no console either: and a script that outlives us must not
    // hold on to our terminal or to the pipes of whoever started us.
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return fail(QStringLiteral("процесс не запустился (%1)").arg(process.errorString()));
    return std::nullopt;
}
