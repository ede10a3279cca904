#include "hold.h"

#ifdef Q_OS_WIN
#include <windows.h>

ExclusiveHold::ExclusiveHold(const QString &path)
{
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(path.utf16()), GENERIC_READ, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE)
        m_handle = handle;
}

ExclusiveHold::~ExclusiveHold()
{
    if (m_handle)
        CloseHandle(m_handle);
}
#else
ExclusiveHold::ExclusiveHold(const QString &) {}
ExclusiveHold::~ExclusiveHold() = default;
#endif
