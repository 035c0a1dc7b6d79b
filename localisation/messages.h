// The message pairs the setup shows through the error box. A "+" joins texts with no
// separator; the fixed parts end in a blank where one is shown.
#pragma once

#include <string>

#include "base/text.h"

namespace messages {

// The setup's name in each language: the caption of every error box.
inline constexpr const char kEnglishDisplayName[] = "Tarnwick update";
inline constexpr const char kRussianDisplayName[] = "Обновление Tarnwick";
inline MessagePair DisplayName() { return {Text::Fixed(kEnglishDisplayName), Text::Fixed(kRussianDisplayName)}; }

// The caption of the install and the older-version questions.
inline MessagePair QuestionCaption() { return {Text::Fixed("Sound question"), Text::Fixed("Резонный вопрос")}; }

inline MessagePair NotAdministrator() {
    return {Text::Fixed("You have no right to install applications!"),
            Text::Fixed("У Вас нет права устанавливать программы!")};
}

inline MessagePair NotInstalled() {
    return {Text::Fixed("There's no subject of update - the Tarnwick installed.\r\nPlease, install the program at first."),
            Text::Fixed("Нет предмета обновления - установленной программы Tarnwick.\r\n"
                        "Пожалуйста, сначала установите программу.")};
}

inline MessagePair NoRegistryAccess() {
    return {Text::Fixed("No access to system registry"), Text::Fixed("Нет доступа к системному реестру")};
}

inline MessagePair CannotInstallFile(const std::string& target) {
    return {Text::Fixed("Can't install file ") + Text::FromSystem(target),
            Text::Fixed("Не удается установить файл ") + Text::FromSystem(target)};
}

inline MessagePair CannotReadLanguageFile(const std::string& path) {
    return {Text::Fixed("Can't handle the language support file ") + Text::FromSystem(path),
            Text::Fixed("Не удаётся работать с файлом языковой поддержки ") + Text::FromSystem(path)};
}

inline MessagePair SetupFileDamaged(const std::string& setupPath) {
    return {Text::Fixed("The setup file is damaged and cannot be used:\r\n") + Text::FromSystem(setupPath) +
                Text::Fixed("\r\nPlease, download it again."),
            Text::Fixed("Файл установки повреждён и не может быть использован:\r\n") + Text::FromSystem(setupPath) +
                Text::Fixed("\r\nПожалуйста, загрузите его заново.")};
}

}  // namespace messages
