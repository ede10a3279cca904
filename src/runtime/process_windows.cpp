#include "process.h"

#include <QFileInfo>
#include <QProcess>

#include <windows.h>

void prepareScript(QProcess &process, const QFileInfo &script)
{
    // cmd.exe parses its command line and expands %VAR% even inside quotes, so
    // the folder's name stays off it: the script is named from its own folder,
    // the working directory. cmd.exe comes from the system folder, never from
    // a search that could find another one.
    wchar_t systemFolder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(systemFolder, MAX_PATH);
    process.setProgram(QString::fromWCharArray(systemFolder, int(length)) + QStringLiteral("\\cmd.exe"));
    process.setNativeArguments(QStringLiteral("/d /v:off /s /c \".\\%1\"").arg(script.fileName()));
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NO_WINDOW;
    });
}
