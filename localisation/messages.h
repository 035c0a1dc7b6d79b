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

inline MessagePair AlreadyRunning() {
    return {Text::Fixed("Setup is already running."), Text::Fixed("Программа установки уже запущена.")};
}

// Only the log hears of it: the run is where no box can be seen.
inline MessagePair NobodyToAsk() {
    return {Text::Fixed("nobody could be asked: run it with modest"),
            Text::Fixed("некого спросить: запустите с modest")};
}

inline MessagePair NoRegistryAccess() {
    return {Text::Fixed("No access to system registry"), Text::Fixed("Нет доступа к системному реестру")};
}

inline MessagePair CannotInstallFile(const std::string& target) {
    return {Text::Fixed("Can't install file ") + Text::FromUtf8(target),
            Text::Fixed("Не удается установить файл ") + Text::FromUtf8(target)};
}

inline MessagePair CannotReadLanguageFile(const std::string& path) {
    return {Text::Fixed("Can't handle the language support file ") + Text::FromUtf8(path),
            Text::Fixed("Не удаётся работать с файлом языковой поддержки ") + Text::FromUtf8(path)};
}

inline MessagePair SetupFileDamaged(const std::string& setupPath) {
    return {Text::Fixed("The setup file is damaged and cannot be used:\r\n") + Text::FromUtf8(setupPath) +
                Text::Fixed("\r\nPlease, download it again."),
            Text::Fixed("Файл установки повреждён и не может быть использован:\r\n") + Text::FromUtf8(setupPath) +
                Text::Fixed("\r\nПожалуйста, загрузите его заново.")};
}

// How to call the setup, for "/?" and "/help".
inline MessagePair Help() {
    return {Text::Fixed("Installs the Tarnwick package into the installed\r\n"
                        "application Tarnwick.\r\n\r\n"
                        "setup.exe [modest [runapp]] [options]\r\n\r\n"
                        "modest - install without questions\r\n"
                        "runapp - after modest: then start Tarnwick\r\n"
                        "/log=FILE - append a log of the run to FILE\r\n"
                        "/suppressmsgboxes - with modest: no message box\r\n"
                        "    (errors go to the log, a newer package is kept)\r\n"
                        "/? or /help - this help\r\n\r\n"
                        "Exit codes:\r\n"
                        "0 - ended normally (installed, or answered no)\r\n"
                        "1 - the environment could not be read\r\n"
                        "2 - not an administrator\r\n"
                        "3 - the setup file is damaged\r\n"
                        "4 - Tarnwick is not installed\r\n"
                        "5 - the package file could not be installed\r\n"
                        "6 - the installed size could not be recorded\r\n"
                        "7 - another setup of this package is running\r\n"
                        "8 - nobody could be asked: run it with modest"),
            Text::Fixed("Устанавливает пакет Tarnwick в установленную\r\n"
                        "программу Tarnwick.\r\n\r\n"
                        "setup.exe [modest [runapp]] [параметры]\r\n\r\n"
                        "modest - установить без вопросов\r\n"
                        "runapp - после modest: затем запустить Tarnwick\r\n"
                        "/log=ФАЙЛ - дописать журнал установки в ФАЙЛ\r\n"
                        "/suppressmsgboxes - с modest: без сообщений\r\n"
                        "    (ошибки - в журнал, более новый пакет остаётся)\r\n"
                        "/? или /help - эта справка\r\n\r\n"
                        "Коды завершения:\r\n"
                        "0 - обычное завершение (установлено или ответ \"нет\")\r\n"
                        "1 - не удалось прочитать окружение\r\n"
                        "2 - нет прав администратора\r\n"
                        "3 - файл установки повреждён\r\n"
                        "4 - Tarnwick не установлен\r\n"
                        "5 - не удалось установить файл пакета\r\n"
                        "6 - не удалось записать размер установки\r\n"
                        "7 - уже идёт другая установка этого пакета\r\n"
                        "8 - некого спросить: запустите с modest")};
}

}  // namespace messages
