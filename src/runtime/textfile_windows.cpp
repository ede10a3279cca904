#include "textfile.h"

#include "textfile_p.h"

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
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
}
