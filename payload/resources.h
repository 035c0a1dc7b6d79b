// A resource of the setup's own module, as bytes mapped with the module.
#pragma once

#include <windows.h>

#include <string>

#include "base/win32.h"
#include "payload/file_io.h"

class OwnResource {
public:
    // Looks the resource up by name and type as texts, without regard to case.
    // Names and types are texts or MAKEINTRESOURCE numbers.
    OwnResource(LPCSTR name, LPCSTR type);
    OwnResource(const std::string& name, const std::string& type) : OwnResource(name.c_str(), type.c_str()) {}
    bool Found() const { return data_ != nullptr; }
    Bytes View() const { return {data_, size_}; }

private:
    win::UniqueResource loaded_;
    const char* data_ = nullptr;
    size_t size_ = 0;
};
