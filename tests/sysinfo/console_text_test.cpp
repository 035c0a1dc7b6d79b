// The command line and the text-file reading of the console command capture.
#include "sysinfo/console_text.h"

#include <gtest/gtest.h>

namespace {

TEST(ConsoleCommandLine, RedirectsIntoTheQuotedFile) {
    EXPECT_EQ(sysinfo::ConsoleCommandLine("C:\\WINDOWS\\system32\\cmd.exe", "ver", "C:\\Users\\A B\\Temp\\qwertyui"),
              "\"C:\\WINDOWS\\system32\\cmd.exe\" /d /c ver > \"C:\\Users\\A B\\Temp\\qwertyui\"");
    // A system folder with blanks stays one word.
    EXPECT_EQ(sysinfo::ConsoleCommandLine("D:\\Win dows\\system32\\cmd.exe", "ver", "abcdefgh"),
              "\"D:\\Win dows\\system32\\cmd.exe\" /d /c ver > \"abcdefgh\"");
}

TEST(ConsoleTextLines, ReadAtLeastOnceAndJoinedWithCrLf) {
    struct Row {
        const char* label;
        std::string content;
        std::string joined;
    };
    const Row rows[] = {
        {"empty file", "", "\r\n"},
        {"Windows ver", "\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n",
         "\r\nMicrosoft Windows [Version 10.0.19045.3803]\r\n"},
        {"no final line end", "one\r\ntwo", "one\r\ntwo\r\n"},
        {"LF only", "one\ntwo\n", "one\r\ntwo\r\n"},
        {"CR only", "one\rtwo\r", "one\r\ntwo\r\n"},
        {"LF CR is two ends", "one\n\rtwo", "one\r\n\r\ntwo\r\n"},
        {"empty lines", "\r\n\r\n\n", "\r\n\r\n\r\n"},
        {"single line end", "\n", "\r\n"},
        {"NUL kept", std::string("a\0b\n", 4), std::string("a\0b\r\n", 5)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(sysinfo::JoinTextLines(row.content), row.joined);
    }
}

}  // namespace
