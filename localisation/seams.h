// The few facts that Wine cannot show for real (a user who is not an administrator,
// a locale that glibc has no name for). They are read through these pointers, which
// hold the real calls; only test programs change them.
#pragma once

#include <windows.h>

namespace seams {
extern BOOL(WINAPI* isUserAnAdmin)();
extern LCID(WINAPI* getUserDefaultLcid)();
}  // namespace seams
