#include "payload/extract.h"

#include <windows.h>

#include <new>

#include "base/errors.h"
#include "base/log.h"
#include "base/system.h"
#include "localisation/common.h"
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
    case VersionedKind::Language: {
        // An unreadable language file is no failure of the step: it counts as version 0,
        // after the user has been told.
        const LanguageVersion reading = LanguageFileVersion(path);
        if (reading.problem) ShowError(*reading.problem);
        return reading.version;
    }
    case VersionedKind::Cok: return CokVersion(path);
    case VersionedKind::None: break;
    }
    return 0;
}

bool AskReplaceWithOlder(const std::string& target, int32_t installedVersion, int32_t newVersion) {
    return Ask(OlderVersionQuestion(target, std::to_string(installedVersion), std::to_string(newVersion)),
               common::UiLanguage());
}

// Writes the pieces to target through a temporary copy, written and flushed in full,
// that becomes the target in one rename: a setup ended at any moment leaves the
// installed file or none, or the new one whole. An installed file is replaced only
// after the version comparison of `kind`. Raises SilentAbort on any failure.
void WritePackage(const std::string& target, std::initializer_list<Bytes> pieces, VersionedKind kind) {
    const bool installed = IsExistingFile(target);
    TemporaryCopy copy(TemporaryName(target));
    if (!copy.Write(pieces)) throw SilentAbort{};
    if (!installed) {
        if (!copy.MoveTo(target, TemporaryCopy::Target::Absent)) throw SilentAbort{};
        runlog::Write(Text::FromUtf8(target) + ": written (no file was installed)");
        return;
    }

    bool older = false;
    if (kind != VersionedKind::None) {
        const int32_t newVersion = ProbeVersion(kind, copy.Path());
        const int32_t installedVersion = ProbeVersion(kind, target);
        runlog::Write(Text::FromUtf8(target) + ": installed version " + std::to_string(installedVersion) +
                      ", new version " + std::to_string(newVersion));
        older = installedVersion > newVersion;
        if (older) {
            HideProgress();
            if (!AskReplaceWithOlder(target, installedVersion, newVersion)) {
                copy.Discard();
                runlog::Write(Text::FromUtf8(target) + ": kept, the installed file is newer");
                ShowProgress("", "");
                return;
            }
        }
    }
    if (!copy.MoveTo(target, TemporaryCopy::Target::Installed)) throw SilentAbort{};
    runlog::Write(Text::FromUtf8(target) + ": replaced");
    if (older) ShowProgress("", "");
}

// Every failure of writing the target, a missing resource and a lack of memory
// included, ends in the one installing-file report.
template <typename Write>
void ReportFailureOf(const std::string& target, Write write) {
    try {
        write();
    } catch (const SilentAbort&) {
        throw SetupError(messages::CannotInstallFile(target), ExitCode::InstallFailed);
    } catch (const std::bad_alloc&) {
        throw SetupError(messages::CannotInstallFile(target), ExitCode::InstallFailed);
    }
}

}  // namespace

void InstallResourceFile(const std::string& name, const std::string& kind, const std::string& target,
                         bool checkSwitch) {
    ReportFailureOf(target, [&] {
        const OwnResource resource(name, kind);
        if (!resource.Found()) {
            runlog::Write("no payload resource " + name + " of type " + kind);
            throw SilentAbort{};
        }
        WritePackage(target, {resource.View()}, checkSwitch ? VersionedKindOf(kind, target) : VersionedKind::None);
    });
}

void InstallTwoPartResourceFile(const std::string& name, const std::string& kind, const std::string& target) {
    ReportFailureOf(target, [&] {
        const OwnResource first(name + "1", kind);
        const OwnResource second(name + "2", kind);
        if (!first.Found() || !second.Found()) throw SilentAbort{};
        WritePackage(target, {first.View(), second.View()}, VersionedKind::None);
    });
}
