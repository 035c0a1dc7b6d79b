// Thin owners of Win32 resources. Each is non-copyable, movable, releases in its
// destructor and can give its resource up with Detach().
#pragma once

#include <windows.h>

#include <utility>

namespace win {

// A handle type with its own invalid value and its own release call, so that a file
// handle (INVALID_HANDLE_VALUE) cannot be mistaken for a kernel handle (NULL).
template <typename T, typename Traits>
class Unique {
public:
    Unique() = default;
    explicit Unique(T value) : value_(value) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& other) noexcept : value_(other.Detach()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    ~Unique() { Reset(); }

    T Get() const { return value_; }
    bool Valid() const { return value_ != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }
    T Detach() { return std::exchange(value_, Traits::Invalid()); }
    void Reset(T value = Traits::Invalid()) {
        T old = std::exchange(value_, value);
        if (old != Traits::Invalid()) Traits::Release(old);
    }
    // For out-parameters of calls that create the resource.
    T* Put() {
        Reset();
        return &value_;
    }

private:
    T value_ = Traits::Invalid();
};

struct HandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Release(HANDLE h) { ::CloseHandle(h); }
};
struct FileTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE h) { ::CloseHandle(h); }
};
struct KeyTraits {
    static HKEY Invalid() { return nullptr; }
    static void Release(HKEY k) { ::RegCloseKey(k); }
};
struct FindTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
    static void Release(HANDLE h) { ::FindClose(h); }
};
struct ModuleTraits {
    static HMODULE Invalid() { return nullptr; }
    static void Release(HMODULE m) { ::FreeLibrary(m); }
};
struct ResourceTraits {
    static HGLOBAL Invalid() { return nullptr; }
    // FreeResource is a no-op on NT, kept for the 16-bit-style contract of LoadResource.
    static void Release(HGLOBAL g) { ::FreeResource(g); }
};

using UniqueHandle = Unique<HANDLE, HandleTraits>;  // processes, threads, mappings
using UniqueFile = Unique<HANDLE, FileTraits>;      // CreateFile results
using UniqueKey = Unique<HKEY, KeyTraits>;
using UniqueFind = Unique<HANDLE, FindTraits>;
using UniqueModule = Unique<HMODULE, ModuleTraits>;
using UniqueResource = Unique<HGLOBAL, ResourceTraits>;

// A COM interface pointer, released at scope end.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { Reset(); }
    T* Get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void Reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }
    // For out-parameters, typed or as the void** of QueryInterface and its kin.
    T** Put() {
        Reset();
        return &p_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

private:
    T* p_ = nullptr;
};

// A function of a loaded module, by name; null when the module lacks it (a call that
// newer Windows versions added).
template <typename Fn>
Fn Procedure(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// A function of kernel32, which every process has loaded.
template <typename Fn>
Fn KernelProcedure(const char* name) {
    return Procedure<Fn>(::GetModuleHandleA("kernel32.dll"), name);
}

// Runs a callable at scope end unless released: commit-or-rollback made visible.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (armed_) f_();
    }
    void Release() { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};

}  // namespace win
