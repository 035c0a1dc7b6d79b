// TRegistry: a registry accessor with one current key, an access mask fixed when it is
// created, and a root key that starts as HKEY_CURRENT_USER. Key paths, value names and
// texts are UTF-8; the wide calls carry them whatever the ANSI code page.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/win32.h"

class TRegistry {
public:
    explicit TRegistry(REGSAM access);
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return root_; }
    // Changing the root key closes the open key.
    void SetRootKey(HKEY root);
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM access) { access_ = access; }

    // A path with a leading backslash opens below the root key, one without it below
    // the open key when there is one. Success closes the previous key; failure leaves
    // it open. Gives false, never raises.
    bool OpenKey(const std::string& path, bool canCreate);
    // Closes without a flush (lazy writing).
    void CloseKey() { key_.Reset(); }
    bool HasOpenKey() const { return key_.Valid(); }

    bool ValueExists(const std::string& name) const;
    // A value that is not a string, or that cannot be read, raises RegistryError.
    std::string ReadString(const std::string& name) const;
    // Writes a REG_DWORD; a refused write raises RegistryError.
    void WriteInteger(const std::string& name, uint32_t value);

private:
    REGSAM access_;
    HKEY root_ = HKEY_CURRENT_USER;
    win::UniqueKey key_;
};
