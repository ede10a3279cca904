// A stand-in for a program that must, or must never, be started: it writes
// how it was started into <its own name>.txt beside itself. Windows only.
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <string>
#include <tlhelp32.h>

namespace {

DWORD parentProcessId()
{
    DWORD parent = 0;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId())
            parent = entry.th32ParentProcessID;
    }
    CloseHandle(snapshot);
    return parent;
}

// The command line the parent (cmd.exe, when a script starts us) was given,
// read from its process parameters.
std::wstring parentCommandLine()
{
    const HANDLE parent = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, parentProcessId());
    if (!parent)
        return L"?";
    using Query = NTSTATUS(NTAPI *)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    PEB peb{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    std::wstring line;
    if (query && query(parent, ProcessBasicInformation, &basic, sizeof basic, nullptr) == 0
        && ReadProcessMemory(parent, basic.PebBaseAddress, &peb, sizeof peb, nullptr)
        && ReadProcessMemory(parent, peb.ProcessParameters, &parameters, sizeof parameters, nullptr)) {
        line.resize(parameters.CommandLine.Length / sizeof(wchar_t));
        if (!ReadProcessMemory(parent, parameters.CommandLine.Buffer, line.data(), parameters.CommandLine.Length, nullptr))
            line = L"?";
    }
    CloseHandle(parent);
    return line;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    wchar_t self[32768];
    const DWORD length = GetModuleFileNameW(nullptr, self, 32768);
    std::wstring report(self, length);
    report.replace(report.rfind(L'.'), std::wstring::npos, L".txt");
    wchar_t directory[32768];
    GetCurrentDirectoryW(32768, directory);

    // Written aside and renamed, so that whoever waits for the report reads it whole.
    const std::wstring partial = report + L".part";
    FILE *out = _wfopen(partial.c_str(), L"w, ccs=UTF-8");
    if (!out)
        return 1;
    std::fwprintf(out, L"console window: %ls\n", GetConsoleWindow() ? L"yes" : L"no");
    std::fwprintf(out, L"working directory: %ls\n", directory);
    std::fwprintf(out, L"parent command line: %ls\n", parentCommandLine().c_str());
    for (int i = 1; i < argc; ++i)
        std::fwprintf(out, L"argument: %ls\n", argv[i]);
    std::fclose(out);
    return MoveFileExW(partial.c_str(), report.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
