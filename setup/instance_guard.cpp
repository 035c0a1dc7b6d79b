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

// The namespace's alias; the guard's name in it is "TarnwickSetup\<local name>".
constexpr wchar_t kNamespace[] = L"TarnwickSetup";

}  // namespace

WideText InstanceGuard::PrivateName(const std::string& baseName) {
    const auto createBoundary = win::KernelProcedure<CreateBoundaryFn>("CreateBoundaryDescriptorW");
    const auto addSid = win::KernelProcedure<AddSidFn>("AddSIDToBoundaryDescriptor");
    const auto createNamespace = win::KernelProcedure<CreateNamespaceFn>("CreatePrivateNamespaceW");
    const auto openNamespace = win::KernelProcedure<OpenNamespaceFn>("OpenPrivateNamespaceW");
    if (!createBoundary || !addSid || !createNamespace || !openNamespace) return WideText();
    boundary_ = createBoundary(kNamespace, 0);
    if (boundary_ == nullptr) return WideText();
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (!::AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                    0, 0, &administrators))
        return WideText();
    const bool added = addSid(&boundary_, administrators) != FALSE;
    ::FreeSid(administrators);
    if (!added) return WideText();
    // Created by the first setup, opened by the others: only a process whose token holds
    // the Administrators group is within the boundary.
    namespace_ = createNamespace(nullptr, boundary_, kNamespace);
    if (namespace_ == nullptr && ::GetLastError() == ERROR_ALREADY_EXISTS) namespace_ = openNamespace(boundary_, kNamespace);
    if (namespace_ == nullptr) {
        runlog::SystemCallFailed("CreatePrivateNamespaceW", ::GetLastError());
        return WideText();
    }
    return WideFromUtf8("TarnwickSetup\\" + InstanceGuardLocalName(baseName));
}

InstanceGuard::InstanceGuard(const std::string& baseName) {
    const WideText privateName = PrivateName(baseName);
    const std::string globalName = InstanceGuardName(baseName);
    if (privateName.empty())
        runlog::Write("no private namespace for the guard here: it is the global name " + globalName);
    mutex_.Reset(privateName.empty() ? ::CreateMutexW(nullptr, FALSE, WideFromUtf8(globalName).data())
                                     : ::CreateMutexW(nullptr, FALSE, privateName.data()));
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
