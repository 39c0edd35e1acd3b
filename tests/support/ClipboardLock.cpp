#include "ClipboardLock.h"

#include <windows.h>

TestLock::TestLock(const wchar_t* name) : mutex_(CreateMutexW(nullptr, FALSE, name)) {
    if (mutex_)
        WaitForSingleObject(mutex_, 30000);
}

TestLock::~TestLock() {
    if (mutex_) {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
}
