#include "base/registry.h"

#include <vector>

#include "base/errors.h"
#include "base/log.h"
#include "base/wide_text.h"

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
    const WideText wideSub = WideFromUtf8(sub);
    win::UniqueKey opened;
    LSTATUS status;
    if (canCreate)
        status = ::RegCreateKeyExW(base, wideSub.data(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                                   opened.Put(), nullptr);
    else
        status = ::RegOpenKeyExW(base, wideSub.data(), 0, access_, opened.Put());
    if (status != ERROR_SUCCESS) {
        opened.Detach();  // the out-parameter is undefined on failure
        // A key that is only looked for may well be missing; one to be created is needed.
        if (canCreate)
            runlog::SystemCallFailed("RegCreateKeyExW", static_cast<unsigned long>(status), Text::FromUtf8(sub));
        else if (status != ERROR_FILE_NOT_FOUND)
            runlog::SystemCallFailed("RegOpenKeyExW", static_cast<unsigned long>(status), Text::FromUtf8(sub));
        return false;
    }
    key_ = std::move(opened);
    return true;
}

bool TRegistry::ValueExists(const std::string& name) const {
    if (!key_.Valid()) return false;
    return ::RegQueryValueExW(key_.Get(), WideFromUtf8(name).data(), nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
    if (!key_.Valid()) throw RegistryError{};
    const WideText wideName = WideFromUtf8(name);
    DWORD type = 0;
    DWORD size = 0;
    LSTATUS status = ::RegQueryValueExW(key_.Get(), wideName.data(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) return std::string();  // a missing value reads as empty
    if (type != REG_SZ && type != REG_EXPAND_SZ) {
        runlog::Write(Text::Fixed("registry value \"") + Text::FromUtf8(name) + "\" is not a text");
        throw RegistryError{};
    }
    // The value may change between the two queries; ask again while the buffer is short.
    WideText buffer;
    do {
        buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
        size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        status = ::RegQueryValueExW(key_.Get(), wideName.data(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()),
                                    &size);
    } while (status == ERROR_MORE_DATA);
    if (status != ERROR_SUCCESS) {
        runlog::SystemCallFailed("RegQueryValueExW", static_cast<unsigned long>(status), Text::FromUtf8(name));
        throw RegistryError{};
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw RegistryError{};
    // A stored string need not end in NUL, nor have an even size; it ends at the first
    // NUL or at its size.
    const size_t units = size / sizeof(wchar_t);
    size_t length = 0;
    while (length < units && buffer[length] != L'\0') ++length;
    return Utf8FromWide(buffer.data(), length);
}

void TRegistry::WriteInteger(const std::string& name, uint32_t value) {
    if (!key_.Valid()) throw RegistryError{};
    DWORD data = value;
    const LSTATUS status = ::RegSetValueExW(key_.Get(), WideFromUtf8(name).data(), 0, REG_DWORD,
                                            reinterpret_cast<const BYTE*>(&data), sizeof data);
    if (status != ERROR_SUCCESS) {
        runlog::SystemCallFailed("RegSetValueExW", static_cast<unsigned long>(status), Text::FromUtf8(name));
        throw RegistryError{};
    }
}
