// A key of a test's own in both registry views: 64-bit Windows keeps one for 32-bit programs
// ("Software\Wow6432Node", and the classes' own "Wow6432Node") and one for 64-bit ones, and a
// test plants what each view should hold. Removed from both views when it goes.
#pragma once

#include <windows.h>

#include <string>

// Deletes root\subkey with everything below it from both views; a missing key is no error.
void DeleteKeyInBothViews(HKEY root, const std::wstring& subkey);

class TwinMachineKey {
  public:
    // Where the key lives: below HKEY_LOCAL_MACHINE\Software, or directly under
    // HKEY_CLASSES_ROOT, as a class of its own.
    enum class Place { Software, Classes };

    // "<prefix>-<process id>-<tick count>" at its place.
    explicit TwinMachineKey(const std::string& prefix, Place place = Place::Software);
    ~TwinMachineKey();
    TwinMachineKey(const TwinMachineKey&) = delete;
    TwinMachineKey& operator=(const TwinMachineKey&) = delete;

    HKEY Root() const;
    // The key's subkey path below its root, or a path below it.
    std::string Sub(const std::string& relative = "") const;
    // Writes a text value (an empty name: the default value) in one view (KEY_WOW64_32KEY or
    // KEY_WOW64_64KEY), creating the keys on the way; false when it could not.
    bool Put(REGSAM view, const std::string& relative, const std::string& name,
             const std::string& text) const;
    // The text value in one view, or "<none>" when the key or the value is not there.
    std::string Get(REGSAM view, const std::string& relative, const std::string& name) const;
    bool Exists(REGSAM view, const std::string& relative) const;

  private:
    void Remove() const;

    std::string name_;
    Place place_;
};
