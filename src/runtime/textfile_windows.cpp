#include "textfile.h"

#include "textfile_p.h"
#include "win32path.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <windows.h>

std::optional<QString> openRegularFile(QFile &file)
{
    // The file system holds no FIFOs here, and devices and pipes have names of
    // their own (\\.\...), so opening a file by its name never waits.
    if (auto reason = notRegularReason(QFileInfo(file.fileName())))
        return reason;
    if (!file.open(QIODevice::ReadOnly))
        return heldOpenElsewhere(file.fileName()) ? heldElsewhereReason() : deviceReason(file);
    return std::nullopt;
}

bool heldOpenElsewhere(const QString &path)
{
    // Asking for the right to delete while sharing everything fails only when
    // some holder of the file does not share that right.
    const HANDLE handle = CreateFileW(win32Path(path).c_str(), DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}

namespace {

bool onReadOnlyVolume(const QString &folder)
{
    const HANDLE handle = CreateFileW(win32Path(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    DWORD flags = 0;
    const bool known = GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0);
    CloseHandle(handle);
    return known && (flags & FILE_READ_ONLY_VOLUME);
}

} // namespace

std::optional<QString> folderWriteReason(const QString &folder)
{
    // Rights live in access lists that only the folder itself can apply, so
    // it is asked by making a file in it, which goes again when closed.
    const QString probe = folder + QStringLiteral("/.kelvarine-%1").arg(QCoreApplication::applicationPid());
    const HANDLE handle = CreateFileW(win32Path(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return std::nullopt;
    }
    switch (GetLastError()) {
    case ERROR_WRITE_PROTECT:
        return readOnlyMediumReason();
    case ERROR_ACCESS_DENIED:
        // A read-only volume refuses everyone, whatever the access lists say.
        return onReadOnlyVolume(folder) ? readOnlyMediumReason() : noFolderRightsReason();
    default:
        return std::nullopt;
    }
}
