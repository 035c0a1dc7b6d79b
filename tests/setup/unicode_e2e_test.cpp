// An application installed under a folder name that the ANSI code page cannot hold, or
// deeper than MAX_PATH, is updated like any other.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/win32.h"
#include "tests/setup/setup_e2e.h"

namespace {

// The extended-length form, so that the test's own calls reach any depth.
std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

std::optional<std::string> ReadWide(const std::wstring& path) {
    win::UniqueFile file(::CreateFileW(Long(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    DWORD read = 0;
    while (::ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

bool WriteWide(const std::wstring& path, const std::string& bytes) {
    win::UniqueFile file(
        ::CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool ExistsWide(const std::wstring& path) { return ::GetFileAttributesW(Long(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

void RemoveWide(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    win::UniqueFind search(::FindFirstFileW(Long(path + L"\\*").c_str(), &entry));
    if (search) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") continue;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveWide(path + L"\\" + name);
            else
                ::DeleteFileW(Long(path + L"\\" + name).c_str());
        } while (::FindNextFileW(search.Get(), &entry));
    }
    search.Reset();
    ::RemoveDirectoryW(Long(path).c_str());
}

// A sample installation under `root` + `tail` (both without a final backslash), with
// the stand-in Tarnwick.exe and an uninstall entry pointing at it.
class WideInstall {
public:
    WideInstall(const std::wstring& root, const std::wstring& tail) : root_(root), folder_(root + tail + L"\\") {
        ::CreateDirectoryA("C:\\tw-tests", nullptr);
        RemoveWide(root_);
        for (size_t at = root_.find(L'\\', 3); at != std::wstring::npos; at = folder_.find(L'\\', at + 1))
            ::CreateDirectoryW(Long(folder_.substr(0, at)).c_str(), nullptr);
        EXPECT_TRUE(::CopyFileW((BinFolder() + L"\\Tarnwick.exe").c_str(), Long(Path(L"Tarnwick.exe")).c_str(), FALSE));
        DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_32KEY);
        win::UniqueKey key;
        EXPECT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                                    nullptr, key.Put(), nullptr),
                  ERROR_SUCCESS);
        const std::wstring uninstaller = folder_ + L"unins000.exe";
        ::RegSetValueExW(key.Get(), L"UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(uninstaller.c_str()),
                         static_cast<DWORD>((uninstaller.size() + 1) * sizeof(wchar_t)));
    }
    ~WideInstall() {
        EndStandIns();
        DeleteRegTree(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WOW64_64KEY);
        RemoveWide(root_);
    }
    std::wstring Path(const std::wstring& name) const { return folder_ + name; }
    const std::wstring& Folder() const { return folder_; }

private:
    std::wstring root_;
    std::wstring folder_;
};

std::string Sample() { return ReadBytes(SamplePayloadPath()).value_or("no sample package"); }

std::optional<DWORD> EstimatedSize() {
    return ReadRegDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", KEY_WOW64_64KEY);
}

}  // namespace

// Under en_US the ANSI code page is 1252, which has neither Cyrillic nor Chinese letters.
TEST(UnicodeFolder, ApplicationUnderANameOutsideTheAnsiCodePageIsUpdatedAndStarted) {
    WideInstall install(L"C:\\tw-tests\\Игры", L"\\Tarnwick 测试");
    SetupRun run = RunSetup(L"", {IDYES, IDYES});
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 2u);
    EXPECT_EQ(run.dialogs[0].text, ui::kInstallQuestionEnglish);
    EXPECT_EQ(run.dialogs[1].text, ui::kStartQuestion);
    EXPECT_TRUE(ReadWide(install.Path(L"tws.pak")) == Sample());
    EXPECT_FALSE(ExistsWide(install.Path(L"~tws.pak")));
    const std::string executable = ReadWide(install.Path(L"Tarnwick.exe")).value_or("");
    EXPECT_EQ(EstimatedSize(), static_cast<DWORD>((Sample().size() + executable.size()) >> 10));
    // The setup returned after the started application had announced itself.
    EXPECT_TRUE(ApplicationMemoryExists());
}

TEST(RussianLocale, FolderWithChineseAndGreekLettersStandsExactlyInTheOlderVersionQuestion) {
    WideInstall install(L"C:\\tw-tests\\Tarnwick 测试 Ελλάδα", L"");
    const std::string newer = PackageWithVersion(409);
    ASSERT_TRUE(WriteWide(install.Path(L"tws.pak"), newer));
    SetupRun run = RunSetup(L"", {IDYES, IDNO, IDNO});
    EXPECT_EQ(run.process.exitCode, 0u);
    ASSERT_EQ(run.dialogs.size(), 3u);
    // Built from wide literals: GCC takes joined u8 literals through the narrow
    // execution character set (1251 here), which has no Chinese or Greek letters.
    EXPECT_EQ(run.dialogs[1].text, ToUtf8(L"Устанавливаемый файл " + install.Path(L"tws.pak") +
                                          L"\r\nболее старой версии, чем уже установленный.\r\n\r\n"
                                          L"Действительно ли Вы хотите заменить уже имеющийся\r\n"
                                          L"файл версии 409 на более старый версии 408?"));
    EXPECT_TRUE(ReadWide(install.Path(L"tws.pak")) == newer);
    EXPECT_FALSE(ExistsWide(install.Path(L"~tws.pak")));
}

TEST(LongPath, PackageDeeperThanMaxPathIsInstalledReplacedAndMeasured) {
    const std::wstring level(95, L'd');
    WideInstall install(L"C:\\tw-tests\\long", L"\\" + level + L"1\\" + level + L"2\\" + level + L"3");
    ASSERT_GT(install.Path(L"tws.pak").size(), 300u);
    ASSERT_TRUE(ExistsWide(install.Path(L"Tarnwick.exe")));

    SetupRun run = RunSetup(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(run.dialogs.empty());
    EXPECT_TRUE(ReadWide(install.Path(L"tws.pak")) == Sample());
    EXPECT_FALSE(ExistsWide(install.Path(L"~tws.pak")));
    ASSERT_TRUE(EstimatedSize().has_value());
    EXPECT_GE(*EstimatedSize(), static_cast<DWORD>(Sample().size() >> 10));

    ASSERT_TRUE(WriteWide(install.Path(L"tws.pak"), PackageWithVersion(400)));
    DeleteRegValue(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize", KEY_WOW64_64KEY);
    run = RunSetup(L"modest", {});
    EXPECT_EQ(run.process.exitCode, 0u);
    EXPECT_TRUE(ReadWide(install.Path(L"tws.pak")) == Sample());
    EXPECT_FALSE(ExistsWide(install.Path(L"~tws.pak")));
    EXPECT_TRUE(EstimatedSize().has_value());
}
