#include "tests/setup/setup_e2e.h"

SetupRun RunSetup(const std::wstring& parameters, std::vector<int> answers, const std::wstring& program,
                  const std::vector<std::string>& environment, DWORD timeoutMs, const std::wstring& desktop) {
    // NAME=VALUE sets, NAME (no "=") removes; the old values come back afterwards.
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
    for (const std::string& setting : environment) {
        const size_t eq = setting.find('=');
        const std::string name = setting.substr(0, eq);
        char old[32768];
        const DWORD length = ::GetEnvironmentVariableA(name.c_str(), old, sizeof old);
        saved.emplace_back(name, length > 0 && length < sizeof old ? std::optional<std::string>(std::string(old, length))
                                                                   : std::nullopt);
        ::SetEnvironmentVariableA(name.c_str(), eq == std::string::npos ? nullptr : setting.substr(eq + 1).c_str());
    }
    SetupRun run;
    {
        DialogDriver driver(std::move(answers));
        const std::wstring exe = program.find(L':') != std::wstring::npos ? program : BinFolder() + L"\\" + program;
        run.process = RunAndWait(exe, parameters, &driver, timeoutMs, L"", desktop);
        run.dialogs = driver.Seen();
    }
    for (auto it = saved.rbegin(); it != saved.rend(); ++it)
        ::SetEnvironmentVariableA(it->first.c_str(), it->second ? it->second->c_str() : nullptr);
    return run;
}

std::string PackageWithVersion(uint16_t version, size_t size) {
    std::string bytes("tws\0\x01\x00", 6);
    bytes += static_cast<char>(version & 0xFF);
    bytes += static_cast<char>(version >> 8);
    for (size_t i = bytes.size(); i < size; ++i) bytes += static_cast<char>(i * 31 + 7);
    return bytes;
}

DWORD FolderKilobytes(const std::string& folder) {
    unsigned long long bytes = 0;
    std::vector<std::string> pending{folder};
    while (!pending.empty()) {
        std::string current = pending.back();
        pending.pop_back();
        if (current.back() != '\\') current += '\\';
        WIN32_FIND_DATAA entry;
        HANDLE search = ::FindFirstFileA((current + "*").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE) continue;
        do {
            std::string name = entry.cFileName;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (name != "." && name != "..") pending.push_back(current + name);
            } else {
                bytes += (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
            }
        } while (::FindNextFileA(search, &entry));
        ::FindClose(search);
    }
    return static_cast<DWORD>(bytes >> 10);
}
