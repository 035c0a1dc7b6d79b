# Writes the winget manifest of a linked (and signed) program from its template:
#   cmake -DPROGRAM=... -DTEMPLATE=... -DMANIFEST=... -P WingetManifest.cmake
# InstallerSha256 is the hash of PROGRAM as it stands now, in the upper-case hex that
# winget writes. The manifest takes its name only once it is whole.
foreach(var PROGRAM TEMPLATE MANIFEST)
    if(NOT ${var})
        message(FATAL_ERROR "WingetManifest.cmake: ${var} is not set")
    endif()
endforeach()
file(SHA256 "${PROGRAM}" INSTALLER_SHA256)
string(TOUPPER "${INSTALLER_SHA256}" INSTALLER_SHA256)
file(READ "${TEMPLATE}" manifest)
string(CONFIGURE "${manifest}" manifest @ONLY)
set(partial "${MANIFEST}.writing")
file(WRITE "${partial}" "${manifest}")
file(RENAME "${partial}" "${MANIFEST}")
