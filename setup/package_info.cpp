#include "setup/package_info.h"

#include "localisation/messages.h"

void DeriveValues(PackageInfo& info) {
    info.fileName = info.baseName + "." + info.kind;
    info.description = info.title + std::to_string(info.version);
    info.shortName = "Tarnwick";
    info.russianName = messages::kRussianDisplayName;
    info.englishName = messages::kEnglishDisplayName;
}

QuestionPair InstallQuestion(const PackageInfo& info) {
    return {{Text::Fixed("Would you like to setup\r\n" + info.englishName + " -\r\n" + info.description + "?"),
             Text::Fixed("Вы действительно хотите установить\r\n" + info.russianName + " -\r\n" + info.description +
                         "?")},
            messages::QuestionCaption()};
}

QuestionPair StartQuestion(const PackageInfo& info) {
    // Asked in Russian whatever the user's locale, under the English name.
    const Text text = Text::Fixed("На Ваш компьютер установлено\r\n" + info.russianName + " -\r\n" + info.description +
                                  "\r\n\r\nЗапустить программу?");
    const Text caption = Text::Fixed(info.englishName);
    return {{text, text}, {caption, caption}};
}
