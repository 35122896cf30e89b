// The registry of file classes, reduced to what a file-type association
// needs: open-or-create a key, write its default value, close it, and tell
// the shell. The Win32 backend reaches HKEY_CLASSES_ROOT; tests use a fake.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace desktop {

class Registry {
public:
    // An open key; kNoKey stands for a key that could not be opened.
    using Key = std::uintptr_t;
    static constexpr Key kNoKey = 0;

    virtual ~Registry() = default;

    // Opens the key at path (names separated by "\", relative to the root)
    // with full access, creating it and any missing key on the way.
    // kNoKey when that failed.
    virtual Key CreateKey(const std::string& path) = 0;
    // Writes the key's default (unnamed) value as a string. False when the
    // write failed, and always for kNoKey.
    virtual bool SetDefaultValue(Key key, const std::string& value) = 0;
    // Closes an open key (never kNoKey).
    virtual void CloseKey(Key key) = 0;
    // Tells the shell that file associations have changed.
    virtual void NotifyAssociationsChanged() = 0;
};

// The machine's registry of file classes (HKEY_CLASSES_ROOT). Windows builds only.
std::unique_ptr<Registry> ClassesRoot();

}  // namespace desktop
