#include "setup/sequence.h"

#include <windows.h>

#include "base/registry.h"
#include "base/system.h"
#include "base/win32.h"
#include "localisation/common.h"
#include "localisation/message_box.h"
#include "localisation/messages.h"
#include "payload/extract.h"
#include "payload/folder_size.h"
#include "payload/integrity.h"
#include "payload/size_rules.h"
#include "setup/app_control.h"
#include "setup/environment.h"

PackageInfo packageInfo;

namespace {

// Writes the folder's size as "EstimatedSize" of the uninstall entry, in the native
// view.
void RecordInstalledSize(const PackageInfo& info) {
    TRegistry& reg = common::Registry();
    win::ScopeExit closeKey([&reg] { reg.CloseKey(); });
    try {
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!reg.OpenKey(installContext.uninstallRoot + info.shortName, true)) throw RegistryError{};
        const int64_t kilobytes = FolderSizeInKilobytes(installContext.installFolder);
        if (kilobytes != -1) reg.WriteInteger("EstimatedSize", EstimatedSizeValue(kilobytes));
    } catch (const RegistryError&) {
        throw SetupError(messages::NoRegistryAccess(), ExitCode::SizeNotRecorded);
    }
}

void InstallPackage(const PackageInfo& info) {
    const std::string target = installContext.installFolder + info.fileName;
    if (info.baseName == "twq")
        InstallTwoPartResourceFile(info.baseName, info.kind, target);
    else
        InstallResourceFile(info.baseName, info.kind, target, true);
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
    try {
        DiscoverEnvironment(info.shortName);
        if (!installContext.administrator) throw SetupError(messages::NotAdministrator(), ExitCode::NotAdministrator);

        // An application that does not end in time keeps its files open; the payload
        // step then reports the file it cannot replace.
        if (IsApplicationRunning()) RequestApplicationQuit();

        CheckSetupIntegrity();
        if (!IsExistingFile(installContext.installFolder + info.shortName + ".exe"))
            throw SetupError(messages::NotInstalled(), ExitCode::NotInstalled);
        if (!options.quiet && !Ask(InstallQuestion(info), common::UiLanguage())) return ExitCode::Ok;

        // A package that could not be written still leaves the folder's size to record.
        try {
            InstallPackage(info);
        } catch (const SetupError& error) {
            Report(error, outcome);
        }
        RecordInstalledSize(info);
    } catch (const SetupError& error) {
        Report(error, outcome);
        return outcome;
    }

    if (options.quiet ? options.startAfterInstall : Ask(StartQuestion(info), Language::Russian))
        StartApplicationAndBringForward(installContext.installFolder, info.shortName);
    return outcome;
}
