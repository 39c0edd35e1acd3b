#include "ProcessControl.h"

#include "AnsiText.h"
#include "TextRules.h"

#include <windows.h>

#include <map>
#include <psapi.h>
#include <tlhelp32.h>
#include <wbemidl.h>

namespace ProcessControl {

namespace {

constexpr DWORD kQueryAndRead = 0x410;     // PROCESS_QUERY_INFORMATION | PROCESS_VM_READ
constexpr DWORD kAllAccess = 0x1F0FFF;     // all access as the NT 4 headers define it
constexpr DWORD kAdjustAndQuery = 0x28;    // TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY
constexpr DWORD kSnapshotProcesses = 0x02; // TH32CS_SNAPPROCESS
constexpr int kStopAttempts = 11;

std::optional<int>& PlatformOverride() {
    static std::optional<int> platform;
    return platform;
}

std::optional<WindowsVersion>& VersionOverride() {
    static std::optional<WindowsVersion> version;
    return version;
}

TerminateOverride& TerminateReplacement() {
    static TerminateOverride terminate;
    return terminate;
}

bool Terminate(HANDLE process, uint32_t processId, unsigned exitCode) {
    if (const TerminateOverride& replacement = TerminateReplacement())
        return replacement(processId, exitCode);
    return TerminateProcess(process, exitCode) != FALSE;
}

// The executable of an opened process: its first module's path, or for a process whose modules
// cannot be listed from here (a 64-bit one) its image name.
std::wstring ExecutablePath(HANDLE process) {
    wchar_t path[MAX_PATH] = {};
    HMODULE firstModule = nullptr;
    DWORD needed = 0;
    if (EnumProcessModules(process, &firstModule, sizeof(firstModule), &needed) &&
        GetModuleFileNameExW(process, firstModule, path, MAX_PATH))
        return path;
    DWORD size = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, path, &size))
        return std::wstring(path, size);
    return {};
}

// How KillProcessByName compares names: the first 15 characters of a long name, otherwise the
// part before the first dot; in upper case.
std::string ComparableName(const std::string& name) {
    if (TextRules::CharacterCount(name) > 15)
        return TextRules::ToUpper(TextRules::LeftCharacters(name, 15));
    return TextRules::ToUpper(name.substr(0, name.find('.')));
}

// The 8.3 short form the system gives a long name: "PROGRA~1" for "Program Files.exe".
std::string ShortName(const std::string& name) {
    const std::string stem = TextRules::Replace(name, ".exe", "", TextRules::Compare::Text);
    return TextRules::ToUpper(TextRules::LeftCharacters(stem, 6)) + "~1";
}

bool HasEnded(uint32_t processId, DWORD waitMs) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process)
        return GetLastError() == ERROR_INVALID_PARAMETER; // no such process any more
    const bool ended = WaitForSingleObject(process, waitMs) == WAIT_OBJECT_0;
    CloseHandle(process);
    return ended;
}

bool SetDebugPrivilege(HANDLE token, const LUID& privilege, bool enable) {
    TOKEN_PRIVILEGES privileges = {};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = privilege;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    return AdjustTokenPrivileges(token, FALSE, &privileges, sizeof(privileges), nullptr, nullptr);
}

int ListByToolhelp(std::vector<std::string>& names, std::vector<uint32_t>& ids,
                   const std::string& filter) {
    HANDLE snapshot = CreateToolhelp32Snapshot(kSnapshotProcesses, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        std::string name = WideToUtf8(entry.szExeFile); // the field up to its first NUL
        // The NT family's snapshot names the file alone; the full path is what this method gives.
        if (!name.empty() && name.find('\\') == std::string::npos) {
            const std::string path = ProcessImagePath(entry.th32ProcessID);
            if (!path.empty())
                name = path;
        }
        if (name.empty() || (!filter.empty() && name.find(filter) == std::string::npos))
            continue;
        names.push_back(name);
        ids.push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return static_cast<int>(names.size());
}

// The names the last listing read, by process id, with each process's creation time. An id
// with the same creation time is the same process, whose name has not changed: reading its
// modules again would cost a round of reads of its memory at every pass of the process shield.
struct ListedProcess {
    uint64_t created = 0;
    std::string name;
};
using ListedProcesses = std::map<uint32_t, ListedProcess>;

ListedProcesses& LastListed() {
    static ListedProcesses listed;
    return listed;
}

// 0 when the process cannot be asked.
uint64_t CreationTime(uint32_t processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process)
        return 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    const bool known = GetProcessTimes(process, &created, &exited, &kernel, &user);
    CloseHandle(process);
    return known ? (uint64_t(created.dwHighDateTime) << 32) | created.dwLowDateTime : 0;
}

// ProcessNameFromId, read once per process; `listed` collects this listing's names.
std::string ListedName(uint32_t processId, ListedProcesses& listed) {
    const uint64_t created = CreationTime(processId);
    if (created == 0)
        return ProcessNameFromId(processId);
    const auto last = LastListed().find(processId);
    const std::string name = last != LastListed().end() && last->second.created == created
                                 ? last->second.name
                                 : ProcessNameFromId(processId);
    // A process that has only just started may not list its modules yet: asked again next time.
    if (!name.empty() && name != "unknown")
        listed[processId] = {created, name};
    return name;
}

int ListByProcessStatus(std::vector<std::string>& names, std::vector<uint32_t>& ids,
                        const std::string& filter) {
    if (IsWindows9xFamily())
        return -1;
    std::vector<DWORD> found(128);
    DWORD bytes = 0;
    for (;;) {
        const DWORD capacity = static_cast<DWORD>(found.size() * sizeof(DWORD));
        if (!EnumProcesses(found.data(), capacity, &bytes))
            return -1;
        if (bytes < capacity)
            break;
        found.resize(found.size() * 2);
    }
    ListedProcesses listed;
    for (size_t i = 0; i < bytes / sizeof(DWORD); ++i) {
        const std::string name = ListedName(found[i], listed);
        if (name.empty() || (!filter.empty() && name.find(filter) == std::string::npos))
            continue;
        names.push_back(name);
        ids.push_back(found[i]);
    }
    LastListed() = std::move(listed);
    return static_cast<int>(names.size());
}

// Releases a COM interface when it goes out of scope.
template <typename T> struct Released {
    T* p = nullptr;
    ~Released() {
        if (p)
            p->Release();
    }
};

struct Bstr {
    explicit Bstr(const wchar_t* text) : b(SysAllocString(text)) {}
    ~Bstr() { SysFreeString(b); }
    BSTR b;
};

void CollectWmiProcessNames(std::vector<std::string>& names) {
    Released<IWbemLocator> locator;
    if (FAILED(CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                                reinterpret_cast<void**>(&locator.p))))
        return;
    Released<IWbemServices> services;
    const Bstr localComputer(L"\\\\.\\root\\cimv2");
    if (FAILED(locator.p->ConnectServer(localComputer.b, nullptr, nullptr, nullptr, 0, nullptr,
                                        nullptr, &services.p)))
        return;
    CoSetProxyBlanket(services.p, RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                      RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);
    Released<IEnumWbemClassObject> rows;
    const Bstr language(L"WQL");
    const Bstr query(L"select * from Win32_Process");
    if (FAILED(services.p->ExecQuery(language.b, query.b,
                                     WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                     &rows.p)))
        return;
    constexpr LONG kRowWaitMs = 10000;
    for (;;) {
        Released<IWbemClassObject> row;
        ULONG returned = 0;
        if (rows.p->Next(kRowWaitMs, 1, &row.p, &returned) != WBEM_S_NO_ERROR || returned != 1)
            break;
        VARIANT name;
        VariantInit(&name);
        if (SUCCEEDED(row.p->Get(L"Name", 0, &name, nullptr, nullptr)) && name.vt == VT_BSTR &&
            name.bstrVal)
            names.push_back(WideToUtf8(name.bstrVal));
        VariantClear(&name);
    }
}

} // namespace

int PlatformId() {
    if (PlatformOverride())
        return *PlatformOverride();
    return SystemVersion().PlatformId;
}

WindowsVersion SystemVersion() {
    if (VersionOverride())
        return *VersionOverride();
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(&version))
        return {};
    return {static_cast<int>(version.dwPlatformId), static_cast<int>(version.dwMajorVersion),
            static_cast<int>(version.dwMinorVersion)};
}

void SetVersionOverride(std::optional<WindowsVersion> version) {
    VersionOverride() = version;
}

void SetPlatformIdOverride(std::optional<int> platformId) {
    PlatformOverride() = platformId;
}

bool IsWindows9xFamily() {
    return PlatformId() == kPlatformWindows9x;
}

int ListProcesses(std::vector<std::string>& names, std::vector<uint32_t>& ids,
                  const std::string& filter, bool ntMethod) {
    names.clear();
    ids.clear();
    const int count =
        ntMethod ? ListByProcessStatus(names, ids, filter) : ListByToolhelp(names, ids, filter);
    if (count < 0) {
        names.clear();
        ids.clear();
    }
    return count;
}

std::string ProcessNameFromId(uint32_t processId) {
    if (processId == 0)
        return "System Idle Process";
    if (processId == 2)
        return "System";
    HANDLE process = OpenProcess(kQueryAndRead, FALSE, processId);
    if (!process)
        return {};
    std::string name;
    HMODULE firstModule = nullptr;
    DWORD needed = 0;
    if (EnumProcessModules(process, &firstModule, sizeof(firstModule), &needed)) {
        wchar_t baseName[MAX_PATH] = {};
        name = GetModuleBaseNameW(process, firstModule, baseName, MAX_PATH)
                   ? WideToUtf8(baseName)
                   : std::string("unknown");
    } else {
        name = FileNameFromFullPath(WideToUtf8(ExecutablePath(process)));
    }
    CloseHandle(process);
    return name;
}

std::string ProcessImagePath(uint32_t processId) {
    HANDLE process = OpenProcess(kQueryAndRead, FALSE, processId);
    if (!process)
        return {};
    const std::string path = WideToUtf8(ExecutablePath(process));
    CloseHandle(process);
    return path;
}

std::string FileNameFromFullPath(const std::string& path) {
    const std::string text = path.substr(0, path.find('\0'));
    const size_t slash = text.rfind('\\');
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

bool TerminateProcessById(uint32_t processId, unsigned exitCode) {
    // Whoever asks, the program never ends itself this way.
    if (processId == GetCurrentProcessId())
        return false;
    const bool ntFamily = !IsWindows9xFamily();
    HANDLE token = nullptr;
    LUID debugPrivilege = {};
    if (ntFamily) {
        if (!OpenProcessToken(GetCurrentProcess(), kAdjustAndQuery, &token))
            return false;
        if (!LookupPrivilegeValueW(nullptr, L"SeDebugPrivilege", &debugPrivilege) ||
            !SetDebugPrivilege(token, debugPrivilege, true)) {
            CloseHandle(token);
            return false;
        }
    }
    bool terminated = false;
    if (HANDLE process = OpenProcess(kAllAccess, FALSE, processId)) {
        terminated = Terminate(process, processId, exitCode);
        CloseHandle(process);
    }
    if (ntFamily) {
        SetDebugPrivilege(token, debugPrivilege, false);
        CloseHandle(token);
    }
    return terminated;
}

bool StopProcessById(uint32_t processId) {
    if (processId == GetCurrentProcessId())
        return false;
    for (int attempt = 0; attempt < kStopAttempts; ++attempt) {
        if (TerminateProcessById(processId, 0) || HasEnded(processId, 1))
            return true;
    }
    return false;
}

bool KillProcessById(uint32_t processId) {
    if (processId == GetCurrentProcessId())
        return false;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    DWORD exitCode = 0;
    GetExitCodeProcess(process, &exitCode);
    const bool terminated = Terminate(process, processId, exitCode);
    CloseHandle(process);
    return terminated;
}

bool KillProcessByName(const std::string& fileName, void (*yield)()) {
    const std::string wanted = TextRules::Trim(ComparableName(fileName));
    const std::string shortName = ShortName(fileName);
    std::vector<std::string> names;
    std::vector<uint32_t> ids;
    ListProcesses(names, ids, "", true);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string listed = ComparableName(FileNameFromFullPath(names[i]));
        if (ids[i] != GetCurrentProcessId() &&
            (TextRules::EqualsNoCase(wanted, listed) || TextRules::EqualsNoCase(shortName, listed)))
            return StopProcessById(ids[i]);
        if (yield)
            yield();
    }
    return true;
}

std::vector<std::string> QueryWmiProcessNames() {
    std::vector<std::string> names;
    // The thread may already be in an apartment (the window's); only a call that entered one
    // leaves it again.
    const HRESULT entered = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CollectWmiProcessNames(names);
    if (SUCCEEDED(entered))
        CoUninitialize();
    return names;
}

void SetTerminateOverride(TerminateOverride terminate) {
    TerminateReplacement() = std::move(terminate);
}

} // namespace ProcessControl
