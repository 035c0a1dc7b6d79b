// setup.exe with the test seams open: the facts Wine cannot show for real come from
// the environment. TW_TEST_ADMIN=0 makes the user no administrator; TW_TEST_LCID=n
// gives the user's default locale.
#include <windows.h>

#include <cstdlib>

#include "localisation/seams.h"
#include "setup/entry.h"

namespace {
LCID testLcid = 0;
BOOL WINAPI NotAdmin() { return FALSE; }
LCID WINAPI TestLcid() { return testLcid; }
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    HardenDllLoading();
    char value[32] = {};
    if (::GetEnvironmentVariableA("TW_TEST_ADMIN", value, sizeof value) && value[0] == '0')
        seams::isUserAnAdmin = NotAdmin;
    if (::GetEnvironmentVariableA("TW_TEST_LCID", value, sizeof value)) {
        testLcid = static_cast<LCID>(std::strtoul(value, nullptr, 0));
        seams::getUserDefaultLcid = TestLcid;
    }
    return static_cast<int>(RunProgram());
}
