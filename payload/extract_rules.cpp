#include "payload/extract_rules.h"

#include "localisation/messages.h"

std::string TemporaryName(const std::string& path) {
    std::string result = path;
    // Backwards from the second-to-last character: a final backslash is not the separator.
    if (!path.empty())
        for (size_t i = path.size() - 1; i-- > 0;)
            if (path[i] == '\\') return result.insert(i + 1, 1, '~');
    return result.insert(0, 1, '~');
}

VersionedKind VersionedKindOf(const std::string& kind, const std::string& target) {
    if (kind == "pak") return VersionedKind::Pak;
    if (kind == "3bs") return VersionedKind::ThreeBs;
    if (kind == "lng") return target.find('!') == std::string::npos ? VersionedKind::Language : VersionedKind::None;
    if (kind == "cok") return VersionedKind::Cok;
    return VersionedKind::None;
}

QuestionPair OlderVersionQuestion(const std::string& target, const std::string& installedVersion,
                                  const std::string& newVersion) {
    const Text russian = Text::Fixed("Устанавливаемый файл ") + Text::FromUtf8(target) +
           "\r\nболее старой версии, чем уже установленный.\r\n\r\n"
           "Действительно ли Вы хотите заменить уже имеющийся\r\n"
           "файл версии " +
           installedVersion + " на более старый версии " + newVersion + "?";
    const Text english = Text::FromUtf8(target) +
           " file installing is of older version\r\n"
           "than the same already installed.\r\n\r\n"
           "Do you really want to replace existing\r\n"
           "new file version " +
           installedVersion + " with an older file version " + newVersion + "?";
    return {{english, russian}, messages::QuestionCaption()};
}

bool IsBriefHold(uint32_t error, FileStep step) {
    constexpr uint32_t kAccessDenied = 5, kSharingViolation = 32, kLockViolation = 33;
    return error == kSharingViolation || error == kLockViolation ||
           (error == kAccessDenied && step == FileStep::Rename);
}

uint32_t RetryPauseMs(int retry) {
    static constexpr uint32_t kPauses[] = {250, 500, 1000, 2000, 3000, 3250};
    constexpr int kRetries = static_cast<int>(sizeof kPauses / sizeof kPauses[0]);
    return retry >= 1 && retry <= kRetries ? kPauses[retry - 1] : 0;
}
