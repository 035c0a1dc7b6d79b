// Runs a program and answers its message boxes as a user would, printing what each
// box showed and saving a picture of it.
//   dialog_driver [--answers yes,no,ok] [--shots FOLDER] -- PROGRAM [PARAMETERS...]
// Exits with the program's exit code.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/harness/dialog_driver.h"
#include "tests/harness/harness.h"

namespace {
int AnswerId(const std::wstring& word) {
    if (word == L"yes") return IDYES;
    if (word == L"no") return IDNO;
    if (word == L"cancel") return IDCANCEL;
    return IDOK;
}

const char* ButtonName(int id) {
    switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDYES: return "Yes";
    case IDNO: return "No";
    default: return "?";
    }
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<int> answers;
    std::wstring shots;
    int i = 1;
    for (; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--") {
            ++i;
            break;
        }
        if (a == L"--answers" && i + 1 < argc) {
            std::wstring list = argv[++i];
            size_t start = 0;
            while (start <= list.size()) {
                size_t comma = list.find(L',', start);
                answers.push_back(AnswerId(list.substr(start, comma == std::wstring::npos ? comma : comma - start)));
                if (comma == std::wstring::npos) break;
                start = comma + 1;
            }
        } else if (a == L"--shots" && i + 1 < argc) {
            shots = argv[++i];
            ::CreateDirectoryW(shots.c_str(), nullptr);
        }
    }
    if (i >= argc) {
        std::fprintf(stderr, "usage: dialog_driver [--answers yes,no] [--shots FOLDER] -- PROGRAM [PARAMETERS]\n");
        return 2;
    }
    std::wstring program = argv[i++];
    std::wstring parameters;
    for (; i < argc; ++i) parameters += (parameters.empty() ? L"" : L" ") + std::wstring(argv[i]);

    DialogDriver driver(answers, 0, shots);
    ProcessResult result = RunAndWait(program, parameters, &driver, 120000);
    int n = 0;
    for (const SeenDialog& d : driver.Seen()) {
        std::string buttons;
        for (int id : d.buttons) buttons += std::string(buttons.empty() ? "" : "/") + ButtonName(id);
        std::printf("--- message box %d: \"%s\" [%s], answered %s\n%s\n", ++n, d.caption.c_str(), buttons.c_str(),
                    ButtonName(d.answer), d.text.c_str());
        if (!d.screenshot.empty()) std::printf("    picture: %s\n", d.screenshot.c_str());
    }
    std::printf("--- exit code %lu%s\n", result.exitCode, result.timedOut ? " (timed out)" : "");
    std::fflush(stdout);
    return static_cast<int>(result.exitCode);
}
