#include "process.h"

#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_WIN
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

    QProcess process;
#ifdef Q_OS_WIN
    // cmd.exe parses its command line and expands %VAR% even inside quotes, so
    // the folder's name stays off it: the script is named from its own folder,
    // the working directory. cmd.exe comes from the system folder, never from
    // a search that could find another one.
    wchar_t systemFolder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(systemFolder, MAX_PATH);
    process.setProgram(QString::fromWCharArray(systemFolder, int(length)) + QStringLiteral("\\cmd.exe"));
    process.setNativeArguments(QStringLiteral("/d /v:off /s /c \".\\%1\"").arg(info.fileName()));
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NO_WINDOW;
    });
#else
    // The path is one argument of the interpreter, never text for a shell to
    // parse, so no character of the folder's name can run anything.
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
