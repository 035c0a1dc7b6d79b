// The setup ended at random moments while it replaces an installed package: the
// folder must always hold the old package or the new one, whole.
#include <gtest/gtest.h>

#include <map>

#include "tests/setup/setup_e2e.h"

namespace {

// Ends the quiet setup after `delayMs` (or lets it finish when it is quicker).
DWORD RunAndEndAfter(DWORD delayMs, bool* ended) {
    const std::wstring exe = BinFolder() + L"\\setup.exe";
    std::wstring commandLine = L"\"" + exe + L"\" modest";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ADD_FAILURE() << "cannot start setup.exe";
        return 0xFFFFFFFF;
    }
    *ended = false;
    if (::WaitForSingleObject(process.hProcess, delayMs) == WAIT_TIMEOUT) {
        ::TerminateProcess(process.hProcess, 0xDEAD);
        *ended = true;
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

}  // namespace

TEST(FaultInjection, EndingTheSetupAtAnyMomentLeavesTheOldOrTheNewPackageWhole) {
    SampleInstall install("fault");
    const std::string newPackage = ReadBytes(SamplePayloadPath()).value_or(std::string());
    ASSERT_FALSE(newPackage.empty());
    // The installed package is older (version 400) and of another size and content, so
    // that any mixture of the two would show.
    std::string oldPackage = newPackage.substr(0, newPackage.size() - 777777);
    for (size_t i = 8; i < oldPackage.size(); i += 4096) oldPackage[i] = static_cast<char>(oldPackage[i] ^ 0x55);
    oldPackage[6] = static_cast<char>(400 & 0xFF);
    oldPackage[7] = static_cast<char>(400 >> 8);

    const int runs = 200;
    std::map<std::string, int> outcomes;
    uint32_t random = 20261208;
    for (int run = 0; run < runs; ++run) {
        if (!(ReadBytes(install.Path("tws.pak")) == oldPackage))
            ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), oldPackage));
        random = random * 1664525u + 1013904223u;
        const DWORD delay = (random >> 8) % 260;
        bool ended = false;
        const DWORD code = RunAndEndAfter(delay, &ended);
        auto installed = ReadBytes(install.Path("tws.pak"));
        ASSERT_TRUE(installed.has_value()) << "run " << run << " (ended after " << delay << " ms) lost the package";
        const bool isOld = *installed == oldPackage;
        const bool isNew = *installed == newPackage;
        ASSERT_TRUE(isOld || isNew) << "run " << run << " (ended after " << delay << " ms) left " << installed->size()
                                    << " bytes that are neither package";
        if (!ended) EXPECT_EQ(code, 0u) << "run " << run;
        std::string outcome = std::string(ended ? "ended early, " : "finished, ") + (isNew ? "new package" : "old package");
        if (ended && PathExists(install.Path("~tws.pak"))) outcome += ", temporary copy left";
        ++outcomes[outcome];
    }
    std::printf("%d runs ended at random moments of a replacement:\n", runs);
    for (const auto& [outcome, count] : outcomes) std::printf("  %4d  %s\n", count, outcome.c_str());

    // A complete run afterwards leaves the new package and no temporary copy.
    ASSERT_TRUE(WriteBytes(install.Path("tws.pak"), oldPackage));
    bool ended = false;
    EXPECT_EQ(RunAndEndAfter(INFINITE, &ended), 0u);
    EXPECT_TRUE(ReadBytes(install.Path("tws.pak")) == newPackage);
    EXPECT_FALSE(PathExists(install.Path("~tws.pak")));
}
