#include "process.h"

#include "scriptfolder.h"
#include "win32path.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <windows.h>

bool isNetworkPath(const QString &nativePath)
{
    return nativePath.startsWith(u"\\\\?\\UNC\\", Qt::CaseInsensitive)
        || (nativePath.startsWith(u"\\\\") && !nativePath.startsWith(u"\\\\?\\") && !nativePath.startsWith(u"\\\\.\\"));
}

// cmd.exe keeps its folder as SetCurrentDirectory does: with a backslash added,
// and the NUL, within MAX_PATH; so the folder may have MAX_PATH - 2 characters.
constexpr int cmdFolderLimit = MAX_PATH - 2;

std::optional<QString> cmdFolder(const QString &nativePath, const std::function<QString(const QString &)> &shortName)
{
    if (nativePath.size() <= cmdFolderLimit)
        return nativePath;
    const QString name = shortName(nativePath);
    if (name.size() <= cmdFolderLimit)
        return name;
    return std::nullopt;
}

namespace {

// The folder's short name, where the volume keeps one; else the folder itself.
QString shortName(const QString &folder)
{
    const std::wstring path = win32Path(folder);
    std::wstring shortPath(path.size() + 1, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), DWORD(shortPath.size()));
    if (length == 0 || length >= shortPath.size())
        return folder;
    QString result = QString::fromWCharArray(shortPath.data(), int(length));
    if (result.startsWith(u"\\\\?\\"))
        result = result.mid(4);
    return result;
}

} // namespace

std::optional<QString> prepareScript(QProcess &process, const QFileInfo &script)
{
    const QString folder = QDir::toNativeSeparators(script.absolutePath());
    if (isNetworkPath(folder))
        return QStringLiteral("папка программы в сети, а cmd.exe не запускает сценарии из сетевой папки: "
                              "подключите её как диск (например, Z:) или перенесите программу на этот компьютер");
    const std::optional<QString> workingDirectory = cmdFolder(folder, shortName);
    if (!workingDirectory)
        return QStringLiteral("путь к папке программы длиннее %1 символов, а cmd.exe из такой папки не запускает: "
                              "перенесите программу в папку с более коротким путём").arg(cmdFolderLimit);

    // cmd.exe parses its command line and expands %VAR% even inside quotes, so
    // the folder's name stays off it: the script is named from its own folder,
    // the working directory. cmd.exe comes from the system folder, never from
    // a search that could find another one. /d: no AutoRun command from the
    // registry runs first; /v:off: no "!" is expanded, whatever the registry
    // says; /s: only the outermost quotes are taken off; /c: it ends with the script.
    wchar_t systemFolder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(systemFolder, MAX_PATH);
    process.setProgram(QString::fromWCharArray(systemFolder, int(length)) + QStringLiteral("\\cmd.exe"));
    process.setNativeArguments(QStringLiteral("/d /v:off /s /c \".\\%1\"").arg(script.fileName()));
    process.setWorkingDirectory(*workingDirectory);
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments *args) {
        args->flags |= CREATE_NO_WINDOW;
    });
    return std::nullopt;
}
