// Running the built setup programs end to end against a sample installation.
#pragma once

#include <string>
#include <vector>

#include "tests/harness/harness.h"

struct SetupRun {
    ProcessResult process;
    std::vector<SeenDialog> dialogs;
};

// Runs bin\<program> (or a program by its full path) with the parameters, answering its boxes with `answers`.
// `environment` holds NAME=VALUE settings (NAME alone removes the variable) for this
// run only.
SetupRun RunSetup(const std::wstring& parameters, std::vector<int> answers = {},
                  const std::wstring& program = L"setup.exe", const std::vector<std::string>& environment = {},
                  DWORD timeoutMs = 60000, const std::wstring& desktop = L"");

// The texts a user sees, in UTF-8.
namespace ui {
inline const std::string kDescription = u8"\"Звуки начала экзамена\" версии 408";
inline const std::string kInstallQuestionEnglish =
    u8"Would you like to setup\r\nTarnwick update -\r\n" + kDescription + u8"?";
inline const std::string kInstallQuestionRussian =
    u8"Вы действительно хотите установить\r\nОбновление Tarnwick -\r\n" + kDescription + u8"?";
inline const std::string kStartQuestion =
    u8"На Ваш компьютер установлено\r\nОбновление Tarnwick -\r\n" + kDescription + u8"\r\n\r\nЗапустить программу?";
inline const std::string kNotInstalledEnglish =
    "There's no subject of update - the Tarnwick installed.\r\nPlease, install the program at first.";
inline const std::string kNotInstalledRussian =
    u8"Нет предмета обновления - установленной программы Tarnwick.\r\nПожалуйста, сначала установите программу.";
inline const std::string kEnglishCaption = "Tarnwick update";
inline const std::string kRussianCaption = u8"Обновление Tarnwick";
inline const std::string kQuestionCaptionEnglish = "Sound question";
inline const std::string kQuestionCaptionRussian = u8"Резонный вопрос";
}  // namespace ui

// A package file of the application's format with the given version field.
std::string PackageWithVersion(uint16_t version, size_t size = 4096);

// The size the setup should have written for a folder: all file bytes, in whole KiB.
DWORD FolderKilobytes(const std::string& folder);
