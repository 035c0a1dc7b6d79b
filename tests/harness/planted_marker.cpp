// A DLL planted beside a program under the name of a system DLL. Loaded, it leaves
// "<its name>.loaded" beside itself. It exports what programs import from the names
// it stands in for, so that a program that does load it still starts.
#include <windows.h>

#include "base/win32.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH] = {};
        const DWORD length = ::GetModuleFileNameA(self, path, MAX_PATH - 8);
        if (length > 0) {
            lstrcatA(path, ".loaded");
            // Only the file's existence counts; it is closed again at once.
            const win::UniqueFile mark(::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        }
    }
    return TRUE;
}

// Calls into the real version.dll, so that a process that did load this copy (Wine's
// own DLLs import version.dll) still works.
}  // extern "C"

namespace {
FARPROC Real(const char* name) {
    static HMODULE real = [] {
        char path[MAX_PATH] = {};
        ::GetSystemDirectoryA(path, MAX_PATH - 16);
        lstrcatA(path, "\\version.dll");
        return ::LoadLibraryA(path);
    }();
    return real ? ::GetProcAddress(real, name) : nullptr;
}

template <typename Fn, typename... Args>
auto Forward(const char* name, Args... args) {
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(Real(name)));
    return fn ? fn(args...) : decltype(fn(args...))();
}
}  // namespace

extern "C" {

__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR f, LPDWORD h) {
    return Forward<DWORD(WINAPI*)(LPCSTR, LPDWORD)>("GetFileVersionInfoSizeA", f, h);
}
__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeW(LPCWSTR f, LPDWORD h) {
    return Forward<DWORD(WINAPI*)(LPCWSTR, LPDWORD)>("GetFileVersionInfoSizeW", f, h);
}
__declspec(dllexport) BOOL WINAPI GetFileVersionInfoA(LPCSTR f, DWORD h, DWORD n, LPVOID d) {
    return Forward<BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID)>("GetFileVersionInfoA", f, h, n, d);
}
__declspec(dllexport) BOOL WINAPI GetFileVersionInfoW(LPCWSTR f, DWORD h, DWORD n, LPVOID d) {
    return Forward<BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID)>("GetFileVersionInfoW", f, h, n, d);
}
__declspec(dllexport) DWORD WINAPI GetFileVersionInfoSizeExW(DWORD x, LPCWSTR f, LPDWORD h) {
    return Forward<DWORD(WINAPI*)(DWORD, LPCWSTR, LPDWORD)>("GetFileVersionInfoSizeExW", x, f, h);
}
__declspec(dllexport) BOOL WINAPI GetFileVersionInfoExW(DWORD x, LPCWSTR f, DWORD h, DWORD n, LPVOID d) {
    return Forward<BOOL(WINAPI*)(DWORD, LPCWSTR, DWORD, DWORD, LPVOID)>("GetFileVersionInfoExW", x, f, h, n, d);
}
__declspec(dllexport) BOOL WINAPI VerQueryValueA(LPCVOID b, LPCSTR s, LPVOID* p, PUINT n) {
    return Forward<BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT)>("VerQueryValueA", b, s, p, n);
}
__declspec(dllexport) BOOL WINAPI VerQueryValueW(LPCVOID b, LPCWSTR s, LPVOID* p, PUINT n) {
    return Forward<BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT)>("VerQueryValueW", b, s, p, n);
}
__declspec(dllexport) void WINAPI InitCommonControls() {}
__declspec(dllexport) BOOL WINAPI InitCommonControlsEx(const void*) { return TRUE; }

}  // extern "C"
