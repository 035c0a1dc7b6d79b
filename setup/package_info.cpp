#include "setup/package_info.h"

void DeriveValues(PackageInfo& info) {
    info.fileName = info.baseName + "." + info.kind;
    info.description = info.title + std::to_string(info.version);
    info.shortName = "Tarnwick";
    info.russianName = "Обновление Tarnwick";
    info.englishName = "Tarnwick update";
}

std::string InstallQuestionRussian(const PackageInfo& info) {
    return "Вы действительно хотите установить\r\n" + info.russianName + " -\r\n" + info.description + "?";
}

std::string InstallQuestionEnglish(const PackageInfo& info) {
    return "Would you like to setup\r\n" + info.englishName + " -\r\n" + info.description + "?";
}

std::string StartQuestion(const PackageInfo& info) {
    return "На Ваш компьютер установлено\r\n" + info.russianName + " -\r\n" + info.description +
           "\r\n\r\nЗапустить программу?";
}
