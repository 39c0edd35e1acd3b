// The clipboard is one for every test process in the prefix: a test that puts text there and
// reads it back holds this lock meanwhile, so parallel tests do not overwrite each other's text.
#pragma once

class ClipboardLock {
  public:
    ClipboardLock();
    ~ClipboardLock();
    ClipboardLock(const ClipboardLock&) = delete;
    ClipboardLock& operator=(const ClipboardLock&) = delete;

  private:
    void* mutex_;
};
