#include "setup/instance_guard.h"

#include <windows.h>

#include "base/log.h"
#include "base/wide_text.h"
#include "setup/paths.h"

namespace {

// Vista's calls, looked up: a call of Wine 8's kernel32 that was bound at load time ends
// the process ("unimplemented function AddSIDToBoundaryDescriptor").
using CreateBoundaryFn = HANDLE(WINAPI*)(LPCWSTR, ULONG);
using AddSidFn = BOOL(WINAPI*)(HANDLE*, PSID);
using DeleteBoundaryFn = VOID(WINAPI*)(HANDLE);
using CreateNamespaceFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
using OpenNamespaceFn = HANDLE(WINAPI*)(LPVOID, LPCWSTR);
using CloseNamespaceFn = BOOLEAN(WINAPI*)(HANDLE, ULONG);

constexpr wchar_t kNamespace[] = L"TarnwickSetup";

}  // namespace

std::wstring InstanceGuard::PrivateName(const std::string& baseName) {
    const auto createBoundary = win::KernelProcedure<CreateBoundaryFn>("CreateBoundaryDescriptorW");
    const auto addSid = win::KernelProcedure<AddSidFn>("AddSIDToBoundaryDescriptor");
    const auto createNamespace = win::KernelProcedure<CreateNamespaceFn>("CreatePrivateNamespaceW");
    const auto openNamespace = win::KernelProcedure<OpenNamespaceFn>("OpenPrivateNamespaceW");
    if (!createBoundary || !addSid || !createNamespace || !openNamespace) return std::wstring();
    boundary_ = createBoundary(kNamespace, 0);
    if (boundary_ == nullptr) return std::wstring();
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize) || !addSid(&boundary_, sid))
        return std::wstring();
    // Created by the first setup, opened by the others: only a process whose token holds
    // the Administrators group is within the boundary.
    namespace_ = createNamespace(nullptr, boundary_, kNamespace);
    if (namespace_ == nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) namespace_ = openNamespace(boundary_, kNamespace);
    if (namespace_ == nullptr) {
        runlog::SystemCallFailed("CreatePrivateNamespaceW", ::GetLastError());
        return std::wstring();
    }
    return std::wstring(kNamespace) + L"\\" + WideFromUtf8(InstanceGuardLocalName(baseName)).data();
}

InstanceGuard::InstanceGuard(const std::string& baseName) {
    const std::wstring privateName = PrivateName(baseName);
    const std::string globalName = InstanceGuardName(baseName);
    if (privateName.empty())
        runlog::Write("no private namespace for the guard here: it is the global name " + globalName);
    mutex_.Reset(privateName.empty() ? ::CreateMutexW(nullptr, FALSE, WideFromUtf8(globalName).data())
                                     : ::CreateMutexW(nullptr, FALSE, privateName.c_str()));
    const DWORD error = ::GetLastError();
    if (!mutex_) {
        runlog::SystemCallFailed("CreateMutexW", error, Text::Fixed(globalName));
        return;
    }
    anotherSetupRuns_ = error == ERROR_ALREADY_EXISTS;
}

InstanceGuard::~InstanceGuard() {
    mutex_.Reset();
    if (namespace_ != nullptr)
        if (const auto close = win::KernelProcedure<CloseNamespaceFn>("ClosePrivateNamespace")) close(namespace_, 0);
    if (boundary_ != nullptr)
        if (const auto remove = win::KernelProcedure<DeleteBoundaryFn>("DeleteBoundaryDescriptor")) remove(boundary_);
}
