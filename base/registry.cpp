#include "base/registry.h"

#include <vector>

#include "base/errors.h"
#include "base/log.h"

TRegistry::TRegistry(REGSAM access) : access_(access) {}

void TRegistry::SetRootKey(HKEY root) {
    if (root != root_) {
        CloseKey();
        root_ = root;
    }
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
    HKEY base = root_;
    std::string sub = path;
    if (!sub.empty() && sub[0] == '\\')
        sub.erase(0, 1);
    else if (key_.Valid())
        base = key_.Get();
    win::UniqueKey opened;
    LSTATUS status;
    if (canCreate)
        status = ::RegCreateKeyExA(base, sub.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                                   opened.Put(), nullptr);
    else
        status = ::RegOpenKeyExA(base, sub.c_str(), 0, access_, opened.Put());
    if (status != ERROR_SUCCESS) {
        opened.Detach();  // the out-parameter is undefined on failure
        // A key that is only looked for may well be missing; one to be created is needed.
        if (canCreate) runlog::SystemCallFailed("RegCreateKeyExA", static_cast<unsigned long>(status), Text::FromSystem(sub));
        return false;
    }
    key_ = std::move(opened);
    return true;
}

bool TRegistry::ValueExists(const std::string& name) const {
    if (!key_.Valid()) return false;
    return ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!key_.Valid()) throw RegistryError{};
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return std::string();  // a missing value reads as empty
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        runlog::Write(Text::Fixed("registry value \"") + Text::FromSystem(name) + "\" is not a text");
        throw RegistryError{};
    }
    // The value may change between the two queries; ask again while the buffer is short.
    std::vector<char> buffer;
    do {
        buffer.assign(size + 1, '\0');
        status = ::RegQueryValueExA(key_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                    &size);
    } while (status == ERROR_MORE_DATA);
    if (status != ERROR_SUCCESS) {
        runlog::SystemCallFailed("RegQueryValueExA", static_cast<unsigned long>(status), Text::FromSystem(name));
        throw RegistryError{};
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw RegistryError{};
    // A stored string need not end in NUL; it ends at the first NUL or at its size.
    size_t length = 0;
    while (length < size && buffer[length] != '\0') ++length;
    return std::string(buffer.data(), length);
}

void TRegistry::WriteInteger(const std::string& name, uint32_t value) {
    if (!key_.Valid()) throw RegistryError{};
    DWORD data = value;
    const LSTATUS status =
        ::RegSetValueExA(key_.Get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (status != ERROR_SUCCESS) {
        runlog::SystemCallFailed("RegSetValueExA", static_cast<unsigned long>(status), Text::FromSystem(name));
        throw RegistryError{};
    }
}
