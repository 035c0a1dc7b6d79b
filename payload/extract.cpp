#include "payload/extract.h"

#include <windows.h>

#include <new>

#include "base/errors.h"
#include "base/files.h"
#include "base/log.h"
#include "base/path_text.h"
#include "base/system.h"
#include "base/wide_text.h"
#include "localisation/common.h"
#include "localisation/message_box.h"
#include "localisation/messages.h"
#include "payload/extract_rules.h"
#include "payload/file_io.h"
#include "payload/progress.h"
#include "payload/resources.h"
#include "payload/versions.h"

namespace {

// The version of a file held open for reading, by its kind's probe, and for a language
// file that cannot be read the pair to tell the user once the file is closed again (the
// box waits for the user).
LanguageVersion ProbeVersion(VersionedKind kind, HANDLE file, const std::string& path) {
    switch (kind) {
    case VersionedKind::Pak: return {ReadVersionField(file, kPakVersionField), std::nullopt};
    case VersionedKind::ThreeBs: return {ReadVersionField(file, kThreeBsVersionField), std::nullopt};
    case VersionedKind::Language: return LanguageFileVersion(file, path);
    case VersionedKind::Cok: return {ReadVersionField(file, kCokVersionField), std::nullopt};
    case VersionedKind::None: break;
    }
    return LanguageVersion();
}

// An unreadable language file is no failure of the step: it counts as version 0, after
// the user has been told.
int32_t Told(const LanguageVersion& reading) {
    if (reading.problem) ShowError(*reading.problem);
    return reading.version;
}

// The installed file as the version comparison sees it.
struct InstalledFile {
    int32_t version = 0;
    bool readOnly = false;
};

// Opened as its kind's probe opens it (a fixed field without sharing: a file another
// process holds for a moment is waited for, one held longer reads as 0), and read only
// where it is the folder's own entry: a link there to a file elsewhere is never read.
// It counts as version 0 then, and the rename replaces the link, not what it leads to.
// With `tell` clear an unreadable language file is not shown to the user.
InstalledFile ProbeInstalled(const files::Folder& folder, const std::string& name, VersionedKind kind,
                             Patience& patience, bool tell = true) {
    InstalledFile installed;
    const std::string path = folder.Path() + name;
    const DWORD share = kind == VersionedKind::Language ? FILE_SHARE_READ : 0;
    win::UniqueFile file;
    patience.Retry(FileStep::Read, path, [&] {
        file.Reset(::CreateFileW(WidePath(path).data(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        return file.Valid();
    });
    if (file && !folder.Holds(file.Get(), name)) {
        runlog::Write(Text::FromUtf8(path) + ": not the install folder's own file; not read, taken as version 0");
        return installed;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (file && ::GetFileInformationByHandle(file.Get(), &info))
        installed.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    else if (!file) {
        const DWORD attributes = ::GetFileAttributesW(WidePath(path).data());
        installed.readOnly = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
    if (kind == VersionedKind::None || (!file && kind != VersionedKind::Language)) return installed;
    const LanguageVersion reading = ProbeVersion(kind, file.Get(), path);
    file.Reset();
    installed.version = tell ? Told(reading) : reading.version;
    return installed;
}

bool AskReplaceWithOlder(const std::string& target, int32_t installedVersion, int32_t newVersion) {
    return Ask(OlderVersionQuestion(target, std::to_string(installedVersion), std::to_string(newVersion)),
               common::UiLanguage());
}

// Writes the pieces to target through a temporary copy, written and flushed in full,
// that becomes the target in one rename: a setup ended at any moment leaves the
// installed file or none, or the new one whole. An installed file is replaced only
// after the version comparison of `compared`; `probed` is the kind's probe, which
// reads the version the step leaves in place. Raises SilentAbort on any failure.
PlacedPackage WritePackage(const std::string& target, std::initializer_list<Bytes> pieces, VersionedKind compared,
                           VersionedKind probed, Patience& patience) {
    const FolderAndName where = SplitFolderAndName(target);
    const files::Folder folder(where.folder);
    if (!folder.Valid()) throw SilentAbort{};
    const bool installed = IsExistingFile(target);
    TemporaryCopy copy(folder, TemporaryName(where.name), patience);
    if (!copy.Write(pieces)) throw SilentAbort{};
    std::optional<int32_t> newVersion;
    if (!installed) {
        if (probed != VersionedKind::None) newVersion = ProbeVersion(probed, copy.Handle(), copy.Path()).version;
        if (!copy.MoveTo(where.name, TemporaryCopy::Target::Absent)) throw SilentAbort{};
        runlog::Write(Text::FromUtf8(target) + ": written (no file was installed)");
        return {true, newVersion};
    }

    const InstalledFile current = ProbeInstalled(folder, where.name, compared, patience);
    // Windows refuses to rename over a read-only file; the same everywhere (Wine run as
    // root would not).
    if (current.readOnly) {
        runlog::Write(Text::FromUtf8(target) + " is read-only");
        throw SilentAbort{};
    }
    bool older = false;
    if (compared != VersionedKind::None) {
        newVersion = Told(ProbeVersion(compared, copy.Handle(), copy.Path()));
        runlog::Write(Text::FromUtf8(target) + ": installed version " + std::to_string(current.version) +
                      ", new version " + std::to_string(*newVersion));
        older = current.version > *newVersion;
        if (older) {
            HideProgress();
            if (!AskReplaceWithOlder(target, current.version, *newVersion)) {
                copy.Discard();
                runlog::Write(Text::FromUtf8(target) + ": kept, the installed file is newer");
                ShowProgress("", "");
                return {true, current.version};
            }
        }
    } else if (probed != VersionedKind::None) {
        newVersion = ProbeVersion(probed, copy.Handle(), copy.Path()).version;
    }
    if (!copy.MoveTo(where.name, TemporaryCopy::Target::Installed)) throw SilentAbort{};
    runlog::Write(Text::FromUtf8(target) + ": replaced");
    if (older) ShowProgress("", "");
    return {true, newVersion};
}

// What lies at the target after a failed step, read as its kind's probe reads it. The
// step's own report comes first, so an unreadable language file is not shown again.
PlacedPackage PackageInPlace(const std::string& target, VersionedKind probed, Patience& patience) {
    PlacedPackage placed;
    const FolderAndName where = SplitFolderAndName(target);
    const files::Folder folder(where.folder);
    if (!folder.Valid() || !IsExistingFile(target)) return placed;
    placed.present = true;
    if (probed != VersionedKind::None)
        placed.version = ProbeInstalled(folder, where.name, probed, patience, false).version;
    return placed;
}

// Every failure of writing the target, a missing resource and a lack of memory
// included, ends in the one installing-file report, after `placed` has been read from
// the folder. One patience serves the whole step.
template <typename Write>
void ReportFailureOf(const std::string& target, VersionedKind probed, PlacedPackage& placed, Write write) {
    Patience patience;
    try {
        placed = write(patience);
        return;
    } catch (const SilentAbort&) {
    } catch (const std::bad_alloc&) {
    }
    try {
        placed = PackageInPlace(target, probed, patience);
    } catch (const std::bad_alloc&) {
        placed = PlacedPackage();
    }
    throw SetupError(messages::CannotInstallFile(target), ExitCode::InstallFailed);
}

}  // namespace

void InstallResourceFile(const std::string& name, const std::string& kind, const std::string& target,
                         bool checkSwitch, PlacedPackage& placed) {
    const VersionedKind probed = VersionedKindOf(kind, target);
    ReportFailureOf(target, probed, placed, [&](Patience& patience) {
        const OwnResource resource(name, kind);
        if (!resource.Found()) {
            runlog::Write("no payload resource " + name + " of type " + kind);
            throw SilentAbort{};
        }
        return WritePackage(target, {resource.View()}, checkSwitch ? probed : VersionedKind::None, probed, patience);
    });
}

void InstallTwoPartResourceFile(const std::string& name, const std::string& kind, const std::string& target,
                                PlacedPackage& placed) {
    const VersionedKind probed = VersionedKindOf(kind, target);
    ReportFailureOf(target, probed, placed, [&](Patience& patience) {
        const OwnResource first(name + "1", kind);
        const OwnResource second(name + "2", kind);
        if (!first.Found() || !second.Found()) throw SilentAbort{};
        return WritePackage(target, {first.View(), second.View()}, VersionedKind::None, probed, patience);
    });
}
