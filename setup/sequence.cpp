#include "setup/sequence.h"

#include <windows.h>

#include "localisation/common.h"
#include "localisation/locale_rules.h"
#include "localisation/message_box.h"
#include "localisation/messages.h"
#include "localisation/registry.h"
#include "payload/extract.h"
#include "payload/folder_size.h"
#include "payload/integrity.h"
#include "payload/size_rules.h"
#include "setup/app_control.h"
#include "setup/environment.h"

PackageInfo packageInfo;

namespace {

bool FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Writes the folder's size as "EstimatedSize" of the uninstall entry, in the native
// view. Gives false after it has reported a registry failure.
bool RecordInstalledSize(const PackageInfo& info) {
    TRegistry& reg = common::Registry();
    try {
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        if (!reg.OpenKey(installContext.uninstallRoot + info.shortName, true)) throw RegistryError{};
        const int64_t kilobytes = FolderSizeInKilobytes(installContext.installFolder);
        if (kilobytes != -1) reg.WriteInteger("EstimatedSize", EstimatedSizeValue(kilobytes));
        reg.CloseKey();
        return true;
    } catch (const RegistryError&) {
        reg.CloseKey();
        ShowError(messages::NoRegistryAccess());
        return false;
    }
}

}  // namespace

ExitCode RunSetupSequence() {
    PackageInfo& info = packageInfo;
    DeriveValues(info);
    common::russianDisplayName = info.russianName;
    common::englishDisplayName = info.englishName;

    if (!DiscoverEnvironment(info.shortName)) return ExitCode::Environment;

    if (!installContext.administrator) {
        ShowError(messages::NotAdministrator());
        return ExitCode::NotAdministrator;
    }

    // An application that does not end in time keeps its files open; the payload step
    // then reports the file it cannot replace.
    if (IsApplicationRunning()) RequestApplicationQuit();

    if (!CheckSetupIntegrity()) return ExitCode::IntegrityFailed;

    const bool quiet = common::firstParameter == "modest";

    if (!FileExists(installContext.installFolder + info.shortName + ".exe")) {
        ShowError(messages::NotInstalled());
        return ExitCode::NotInstalled;
    }

    if (!quiet) {
        const bool yes = common::russianUi
                             ? AskYesNo(Text::Fixed(InstallQuestionRussian(info)), Text::Fixed("Резонный вопрос"),
                                        Language::Russian)
                             : AskYesNo(Text::Fixed(InstallQuestionEnglish(info)), Text::Fixed("Sound question"),
                                        Language::English);
        if (!yes) return ExitCode::Ok;
    }

    ExitCode outcome = ExitCode::Ok;
    const std::string target = installContext.installFolder + info.fileName;
    const bool installed = info.baseName == "twq" ? InstallTwoPartResourceFile(info.baseName, info.kind, target)
                                                  : InstallResourceFile(info.baseName, info.kind, target, true);
    if (!installed) outcome = ExitCode::InstallFailed;

    if (!RecordInstalledSize(info)) return outcome != ExitCode::Ok ? outcome : ExitCode::SizeNotRecorded;

    if (quiet) {
        if (LowerAscii(CommandLineParameter(::GetCommandLineA(), 2)) == "runapp")
            StartApplicationAndBringForward(installContext.installFolder, info.shortName);
    } else if (AskYesNo(Text::Fixed(StartQuestion(info)), Text::Fixed(info.englishName), Language::Russian)) {
        StartApplicationAndBringForward(installContext.installFolder, info.shortName);
    }
    return outcome;
}
