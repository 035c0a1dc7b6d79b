#include "payload/resources.h"

OwnResource::OwnResource(LPCSTR name, LPCSTR type) {
    HRSRC found = ::FindResourceA(nullptr, name, type);
    if (found == nullptr) return;
    loaded_.Reset(::LoadResource(nullptr, found));
    if (!loaded_) return;
    const DWORD size = ::SizeofResource(nullptr, found);
    const void* data = ::LockResource(loaded_.Get());
    if (data == nullptr) return;
    data_ = static_cast<const char*>(data);
    size_ = size;
}
