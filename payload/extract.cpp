#include "payload/extract.h"

#include <windows.h>

#include "localisation/common.h"
#include "localisation/errors.h"
#include "localisation/message_box.h"
#include "localisation/messages.h"
#include "payload/extract_rules.h"
#include "payload/file_io.h"
#include "payload/progress.h"
#include "payload/resources.h"
#include "payload/versions.h"

namespace {

int32_t ProbeVersion(VersionedKind kind, const std::string& path) {
    switch (kind) {
    case VersionedKind::Pak: return PakVersion(path);
    case VersionedKind::ThreeBs: return ThreeBsVersion(path);
    case VersionedKind::Language: return LanguageFileVersion(path);
    case VersionedKind::Cok: return CokVersion(path);
    case VersionedKind::None: break;
    }
    return 0;
}

bool AskReplaceWithOlder(const std::string& target, int32_t installedVersion, int32_t newVersion) {
    const std::string installed = std::to_string(installedVersion);
    const std::string offered = std::to_string(newVersion);
    if (common::russianUi)
        return AskYesNo(OlderVersionQuestionRussian(target, installed, offered), Text::Fixed("Резонный вопрос"),
                        Language::Russian);
    return AskYesNo(OlderVersionQuestionEnglish(target, installed, offered), Text::Fixed("Sound question"),
                    Language::English);
}

// Writes the pieces to target: straight when no file is there, otherwise through a
// temporary copy that replaces the installed file in one rename, after the version
// comparison of `kind`. Raises SilentAbort on any failure.
void WritePackage(const std::string& target, std::initializer_list<Bytes> pieces, VersionedKind kind) {
    if (!IsExistingFile(target)) {
        if (!WriteNewFile(target, pieces)) throw SilentAbort{};
        return;
    }
    TemporaryCopy copy(TemporaryName(target));
    if (!copy.Write(pieces)) throw SilentAbort{};

    bool older = false;
    if (kind != VersionedKind::None) {
        const int32_t newVersion = ProbeVersion(kind, copy.Path());
        const int32_t installedVersion = ProbeVersion(kind, target);
        older = installedVersion > newVersion;
        if (older) {
            HideProgress();
            if (!AskReplaceWithOlder(target, installedVersion, newVersion)) {
                copy.Discard();
                ShowProgress("", "");
                return;
            }
        }
    }
    if (!copy.ReplaceTarget(target)) throw SilentAbort{};
    if (older) ShowProgress("", "");
}

}  // namespace

bool InstallResourceFile(const std::string& name, const std::string& kind, const std::string& target,
                         bool checkSwitch) {
    try {
        const OwnResource resource(name, kind);
        if (!resource.Found()) throw SilentAbort{};
        WritePackage(target, {resource.View()}, checkSwitch ? VersionedKindOf(kind, target) : VersionedKind::None);
        return true;
    } catch (...) {
        ShowError(messages::CannotInstallFile(target));
        return false;
    }
}

bool InstallTwoPartResourceFile(const std::string& name, const std::string& kind, const std::string& target) {
    try {
        const OwnResource first(name + "1", kind);
        const OwnResource second(name + "2", kind);
        if (!first.Found() || !second.Found()) throw SilentAbort{};
        WritePackage(target, {first.View(), second.View()}, VersionedKind::None);
        return true;
    } catch (...) {
        ShowError(messages::CannotInstallFile(target));
        return false;
    }
}
