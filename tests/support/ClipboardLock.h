// Locks that test processes running side by side in one prefix take around what they share.
#pragma once

// Held from its making to its end; a test in another process that takes the lock of the same
// name waits meanwhile (at most half a minute).
class TestLock {
  public:
    explicit TestLock(const wchar_t* name);
    ~TestLock();
    TestLock(const TestLock&) = delete;
    TestLock& operator=(const TestLock&) = delete;

  private:
    void* mutex_;
};

// The clipboard is one for every test process in the prefix: a test that puts text there and
// reads it back holds this lock meanwhile, so parallel tests do not overwrite each other's text.
class ClipboardLock : public TestLock {
  public:
    ClipboardLock() : TestLock(L"TidewaterTestClipboard") {}
};
