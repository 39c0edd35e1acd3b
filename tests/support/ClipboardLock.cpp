#include "ClipboardLock.h"

#include <windows.h>

ClipboardLock::ClipboardLock() : mutex_(CreateMutexW(nullptr, FALSE, L"TidewaterTestClipboard")) {
    if (mutex_)
        WaitForSingleObject(mutex_, 30000);
}

ClipboardLock::~ClipboardLock() {
    if (mutex_) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}
