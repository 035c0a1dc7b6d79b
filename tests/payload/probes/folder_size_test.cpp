// Folder size on real folder trees under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include <winioctl.h>

#include <string>
#include <vector>

#include "base/win32.h"
#include "payload/folder_size.h"
#include "tests/harness/harness.h"

using namespace std::string_literals;

namespace {

const char kRoot[] = "C:\\tw-tests\\folder-size";

struct SizeCall {
    std::string path;
    int64_t kilobytes;
};

DWORD WINAPI MeasureOnThread(void* argument) {
    SizeCall* call = static_cast<SizeCall*>(argument);
    call->kilobytes = FolderSizeInKilobytes(call->path);
    return 0;
}

class FolderSize : public ::testing::Test {
protected:
    void SetUp() override {
        ::CreateDirectoryA("C:\\tw-tests", nullptr);
        RemoveTree(kRoot);
        ASSERT_TRUE(::CreateDirectoryA(kRoot, nullptr));
    }
    void TearDown() override {
        for (const std::string& link : links_) RemoveSymbolicLink(link);
        RemoveTree(kRoot);
    }

    static std::string Path(const std::string& relative) { return kRoot + "\\"s + relative; }
    static void Folder(const std::string& relative) { ASSERT_TRUE(::CreateDirectoryA(Path(relative).c_str(), nullptr)); }
    static void File(const std::string& relative, size_t size, DWORD attributes = 0) {
        ASSERT_TRUE(WriteBytes(Path(relative), std::string(size, 'b'))) << relative;
        if (attributes) {
            ASSERT_TRUE(::SetFileAttributesA(Path(relative).c_str(), attributes));
        }
    }
    // A Unix symbolic link at `relative` to `target` (relative to the link's folder).
    bool Link(const std::string& relative, const std::string& target) {
        links_.push_back(Path(relative));
        return MakeSymbolicLink(target, Path(relative), true);
    }

private:
    std::vector<std::string> links_;
};

TEST_F(FolderSize, NoFolderGivesMinusOne) {
    File("file.txt", 5000);
    for (const std::string& path : {""s, Path("missing"), Path("missing\\"), Path("file.txt"), Path("file.txt\\")})
        EXPECT_EQ(FolderSizeInKilobytes(path), -1) << path;
}

TEST_F(FolderSize, FoldersThemselvesAddNothing) {
    EXPECT_EQ(FolderSizeInKilobytes(kRoot), 0);
    Folder("a");
    Folder("a\\b");
    Folder("c");
    EXPECT_EQ(FolderSizeInKilobytes(kRoot), 0);
}

TEST_F(FolderSize, WholeKilobytesOfTheTotal) {
    struct Row {
        std::vector<size_t> files;
        int64_t kilobytes;
    };
    const Row rows[] = {
        {{1023}, 0}, {{1024}, 1}, {{1535}, 1}, {{2047}, 1}, {{2048}, 2},
        {{1000, 23}, 0}, {{1000, 24}, 1}, {{0, 0, 0}, 0}, {{700, 700, 700}, 2},
    };
    int n = 0;
    for (const Row& row : rows) {
        const std::string folder = "row" + std::to_string(++n);
        Folder(folder);
        for (size_t i = 0; i < row.files.size(); ++i) File(folder + "\\f" + std::to_string(i), row.files[i]);
        EXPECT_EQ(FolderSizeInKilobytes(Path(folder)), row.kilobytes) << folder;
    }
}

TEST_F(FolderSize, HiddenSystemAndReadOnlyFilesCount) {
    File("hidden", 1024, FILE_ATTRIBUTE_HIDDEN);
    File("system", 1024, FILE_ATTRIBUTE_SYSTEM);
    File("readonly", 1024, FILE_ATTRIBUTE_READONLY);
    File("all", 1024, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY);
    Folder("hidden-folder");
    ASSERT_TRUE(::SetFileAttributesA(Path("hidden-folder").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
    File("hidden-folder\\inside", 1024);
    EXPECT_EQ(FolderSizeInKilobytes(kRoot), 5);
}

TEST_F(FolderSize, NestedFoldersAtAnyDepthAndEitherSpellingOfThePath) {
    std::string deep;
    for (int level = 0; level < 12; ++level) {
        deep += (deep.empty() ? "" : "\\") + std::string("d") + std::to_string(level);
        Folder(deep);
        File(deep + "\\f", 1024);
        Folder(deep + "\\empty");
    }
    Folder("side");
    Folder("side\\x");
    File("side\\x\\f", 3072);
    File("top", 512);
    File("side\\half", 512);
    const int64_t expected = 12 + 3 + 1;
    EXPECT_EQ(FolderSizeInKilobytes(kRoot), expected);
    EXPECT_EQ(FolderSizeInKilobytes(kRoot + "\\"s), expected);
    EXPECT_EQ(FolderSizeInKilobytes(Path("d0")), 12);
    EXPECT_EQ(FolderSizeInKilobytes(Path("d0\\")), 12);
}

TEST_F(FolderSize, FileOver4GiBCountsInFull) {
    const std::string path = Path("big.bin");
    {
        win::UniqueFile file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        ASSERT_TRUE(file.Valid());
        // Sparse, so that the drive need not hold 4 GiB; a drive that cannot skips the test.
        DWORD ignored = 0;
        ::DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
        LARGE_INTEGER end;
        end.QuadPart = (int64_t{1} << 32) + 2048;
        if (!::SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !::SetEndOfFile(file.Get())) {
            file.Reset();
            ::DeleteFileA(path.c_str());
            GTEST_SKIP() << "the drive holds no file of 4 GiB + 2048 bytes";
        }
    }
    File("small", 1024);
    EXPECT_EQ(FolderSizeInKilobytes(kRoot), (int64_t{1} << 22) + 2 + 1);
}

TEST_F(FolderSize, LinkLoopsEndAndLinkedTreesCountOnce) {
    File("top", 10240);
    Folder("a");
    File("a\\f", 1024);
    Folder("a\\b");
    if (!Link("self", ".")) GTEST_SKIP() << "no Unix links here (not under Wine)";
    ASSERT_TRUE(Link("a\\up", ".."));
    ASSERT_TRUE(Link("a\\b\\root", "../.."));
    ASSERT_TRUE(Link("a\\b\\again", "../.."));  // two ways up: a walk that followed them would never end
    ASSERT_TRUE(Link("alias", "a"));
    const DWORD attributes = ::GetFileAttributesA(Path("a\\b\\root").c_str());
    ASSERT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);

    SizeCall call{kRoot, -2};
    HANDLE thread = ::CreateThread(nullptr, 0, MeasureOnThread, &call, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    const bool ended = ::WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0;
    if (!ended) ::TerminateThread(thread, 1);
    ::CloseHandle(thread);
    ASSERT_TRUE(ended) << "the walk did not end";
    EXPECT_EQ(call.kilobytes, 11);
}

TEST_F(FolderSize, BesideAWriteTheSetAsideFilesCountAsTheyAreAtTheEnd) {
    Folder("sub");
    File("sub\\tws.pak", 2048);  // below the top: an ordinary file
    File("keep", 1024);
    File("TWS.PAK", 5 * 1024);
    File("~tws.pak", 3 * 1024);
    Folder("~tws.pak-folder");
    {
        FolderSizeBeside size(kRoot, {"tws.pak", "~tws.pak"});
        // What the payload step does meanwhile: the copy renamed over the package.
        ASSERT_TRUE(::MoveFileExA(Path("~tws.pak").c_str(), Path("TWS.PAK").c_str(), MOVEFILE_REPLACE_EXISTING));
        File("TWS.PAK", 7 * 1024);
        EXPECT_EQ(size.Kilobytes(), FolderSizeInKilobytes(kRoot));
        EXPECT_EQ(size.Kilobytes(), 2 + 1 + 7);
    }
    {
        // A leftover copy counts, and a folder of a set-aside name is walked like any other.
        File("~tws.pak", 4 * 1024);
        ASSERT_TRUE(::DeleteFileA(Path("TWS.PAK").c_str()));
        Folder("tws.pak");
        File("tws.pak\\inside", 1024);
        FolderSizeBeside size(kRoot + "\\"s, {"tws.pak", "~tws.pak"});
        EXPECT_EQ(size.Kilobytes(), 2 + 1 + 4 + 1);
    }
    {
        FolderSizeBeside missing(Path("missing"), {"tws.pak"});
        EXPECT_EQ(missing.Kilobytes(), -1);
        FolderSizeBeside unused(kRoot, {});  // never asked: its destructor waits for the walk
    }
}

}  // namespace
