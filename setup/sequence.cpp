#include "setup/sequence.h"

#include <windows.h>

#include "base/log.h"
#include "base/registry.h"
#include "base/system.h"
#include "base/win32.h"
#include "localisation/common.h"
#include "localisation/message_box.h"
#include "localisation/messages.h"
#include "payload/extract.h"
#include "payload/extract_rules.h"
#include "payload/folder_size.h"
#include "payload/integrity.h"
#include "payload/size_rules.h"
#include "setup/app_control.h"
#include "setup/environment.h"
#include "setup/instance_guard.h"

PackageInfo packageInfo;

namespace {

// Writes the folder's size as "EstimatedSize" of the uninstall entry, in the key and
// view where discovery found the entry (the native key when there was none), and
// beside it the detection value named after the package file: the version of the
// package in place, for deployment tools that cannot read a data file's version.
void RecordInstalledSize(const PackageInfo& info, FolderSizeBeside& installedSize, const PlacedPackage& placed) {
    TRegistry& reg = common::Registry();
    // The key is opened to set values and nothing else.
    const REGSAM readAccess = reg.Access();
    reg.SetAccess(KEY_SET_VALUE | common::RegistryView());
    win::ScopeExit closeKey([&reg, readAccess] {
        reg.CloseKey();
        reg.SetAccess(readAccess);
    });
    const bool entryFound = !installContext.uninstallEntry.empty();
    const std::string key = entryFound ? installContext.uninstallEntry : installContext.uninstallRoot + info.shortName;
    try {
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        // An entry found is written where it is; a key is made only where there was none.
        if (!reg.OpenKey(key, !entryFound)) throw RegistryError{};
        const int64_t kilobytes = installedSize.Kilobytes();
        if (kilobytes == -1) {
            runlog::Write("the install folder is gone: \"EstimatedSize\" not written");
            return;
        }
        reg.WriteInteger("EstimatedSize", EstimatedSizeValue(kilobytes));
        const uint32_t detected = DetectionValue(placed.present, placed.version, info.version);
        reg.WriteInteger(info.fileName, detected);
        runlog::Write("\"EstimatedSize\" = " + std::to_string(EstimatedSizeValue(kilobytes)) + " (KiB), \"" +
                      info.fileName + "\" = " + std::to_string(detected) + " under HKLM\\" + key);
    } catch (const RegistryError&) {
        throw SetupError(messages::NoRegistryAccess(), ExitCode::SizeNotRecorded);
    }
}

void InstallPackage(const PackageInfo& info, PlacedPackage& placed) {
    const std::string target = installContext.installFolder + info.fileName;
    if (info.baseName == "twq")
        InstallTwoPartResourceFile(info.baseName, info.kind, target, placed);
    else
        InstallResourceFile(info.baseName, info.kind, target, true, placed);
}

// Shows the failure; the first failure of the run decides its exit code.
void Report(const SetupError& error, ExitCode& outcome) {
    ShowError(error.Message());
    if (outcome == ExitCode::Ok) outcome = error.Code();
}

}  // namespace

ExitCode RunSetupSequence(const RunOptions& options) {
    PackageInfo& info = packageInfo;
    DeriveValues(info);
    ExitCode outcome = ExitCode::Ok;
    // Taken before anything is looked at, so that a second setup writes nothing, and
    // held to the end of the run.
    const InstanceGuard guard(info.baseName);
    try {
        // Where nobody can see a box, only a quiet run can do its work.
        if (!options.quiet && !SomeoneCanSeeBoxes()) throw SetupError(messages::NobodyToAsk(), ExitCode::NobodyToAsk);
        if (guard.AnotherSetupRuns()) {
            runlog::Write("another setup of this package is running");
            throw SetupError(messages::AlreadyRunning(), ExitCode::AlreadyRunning);
        }
        DiscoverEnvironment(info.shortName);
        runlog::Write(installContext.administrator ? "administrator: yes" : "administrator: no");
        if (!installContext.administrator) throw SetupError(messages::NotAdministrator(), ExitCode::NotAdministrator);

        // An application that does not end in time keeps its files open; the payload
        // step then reports the file it cannot replace.
        if (IsApplicationRunning()) {
            runlog::Write("the application is running: asked to quit");
            runlog::Write(RequestApplicationQuit() ? "the application ended"
                                                   : "the application still runs after the wait");
        } else {
            runlog::Write("the application is not running");
        }

        CheckSetupIntegrity();
        runlog::Write("integrity check: passed");
        const std::string executable = installContext.installFolder + info.shortName + ".exe";
        if (!IsExistingFile(executable)) {
            runlog::Write(Text::Fixed("no ") + Text::FromUtf8(executable));
            throw SetupError(messages::NotInstalled(), ExitCode::NotInstalled);
        }
        if (options.quiet)
            runlog::Write("install question not asked: quiet mode");
        else if (!Ask(InstallQuestion(info), common::UiLanguage()))
            return ExitCode::Ok;

        // A package that could not be written still leaves the folder's size to record.
        // The folder is measured beside the write; the package and its temporary copy
        // count as the payload step leaves them.
        FolderSizeBeside installedSize(installContext.installFolder, {info.fileName, TemporaryName(info.fileName)});
        PlacedPackage placed;
        try {
            InstallPackage(info, placed);
        } catch (const SetupError& error) {
            Report(error, outcome);
        }
        RecordInstalledSize(info, installedSize, placed);
    } catch (const SetupError& error) {
        Report(error, outcome);
        return outcome;
    }

    if (options.quiet && !options.startAfterInstall)
        runlog::Write("start question not asked: quiet mode, no \"runapp\"");
    // It would start on a desktop nobody sees, under the account of the deployment.
    if (options.quiet && options.startAfterInstall && !SomeoneCanSeeBoxes()) {
        runlog::Write("the application is not started: nobody can see it here");
        return outcome;
    }
    if (options.quiet ? options.startAfterInstall : Ask(StartQuestion(info), Language::Russian))
        StartApplicationAndBringForward(installContext.installFolder, info.shortName);
    return outcome;
}
