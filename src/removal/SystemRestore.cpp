#include "SystemRestore.h"

#include "AnsiText.h"

#include <windows.h>

#include <cstring>

namespace SystemRestore {

namespace {

std::optional<OsVersion> versionOverride;

OsVersion SystemVersion() {
    return versionOverride ? *versionOverride : ProcessControl::SystemVersion();
}

// The platform's records, packed as the restore-point interface declares them.
#pragma pack(push, 1)
struct NativeRestorePointInfo {
    DWORD dwEventType;
    DWORD dwRestorePtType;
    INT64 llSequenceNumber;
    CHAR szDescription[64];
};
struct NativeStatus {
    UINT nStatus;
    INT64 llSequenceNumber;
};
#pragma pack(pop)

using NativeCall = BOOL(WINAPI*)(NativeRestorePointInfo*, NativeStatus*);

bool CallSystem(const RestorePointInfo& info, RestorePointStatus& status) {
    HMODULE library = LoadLibraryW(L"srclient.dll");
    if (!library)
        return false;
    const auto call = reinterpret_cast<NativeCall>(
        reinterpret_cast<void*>(GetProcAddress(library, "SRSetRestorePointA")));
    bool result = false;
    if (call) {
        NativeRestorePointInfo native{};
        native.dwEventType = info.EventType;
        native.dwRestorePtType = info.RestorePtType;
        native.llSequenceNumber = info.SequenceNumber;
        strncpy(native.szDescription, Utf8ToAnsi(info.Description).c_str(),
                sizeof native.szDescription - 1);
        NativeStatus nativeStatus{};
        result = call(&native, &nativeStatus) != FALSE;
        status.Status = nativeStatus.nStatus;
        status.SequenceNumber = nativeStatus.llSequenceNumber;
    }
    FreeLibrary(library);
    return result;
}

SetRestorePointCall& Call() {
    static SetRestorePointCall call = CallSystem;
    return call;
}

} // namespace

void SetVersionOverride(std::optional<OsVersion> version) {
    versionOverride = version;
}

bool SupportsSystemRestore() {
    const OsVersion version = SystemVersion();
    if (version.PlatformId == 1)
        return version.Minor == 90;
    if (version.PlatformId == 2)
        return (version.Major == 5 && version.Minor == 1) || version.Major > 5;
    return false;
}

void SetRestorePointFunction(SetRestorePointCall call) {
    Call() = call ? std::move(call) : SetRestorePointCall(CallSystem);
}

bool BeginRestorePoint(const std::string& description, int restorePointType, int* error) {
    if (RestorePointSequence != 0) {
        if (error)
            *error = kPendingRestorePointError;
        return false;
    }
    RestorePointInfo info;
    info.EventType = kEventBeginSystemChange;
    info.RestorePtType = static_cast<uint32_t>(restorePointType);
    // The record's description field holds 63 characters and its end.
    info.Description = AnsiToUtf8(Utf8ToAnsi(description).substr(0, 63));
    RestorePointStatus status;
    if (!Call()(info, status))
        return false;
    RestorePointSequence = status.SequenceNumber;
    return true;
}

bool EndRestorePoint() {
    RestorePointInfo info;
    info.EventType = kEventEndSystemChange;
    info.SequenceNumber = RestorePointSequence;
    RestorePointStatus status;
    const bool closed = Call()(info, status);
    RestorePointSequence = 0;
    return closed;
}

} // namespace SystemRestore
