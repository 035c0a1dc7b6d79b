# Signs a Windows program with an Authenticode signature (SHA-256) by osslsigncode:
#   cmake -DOSSLSIGNCODE=... -DCERT=... -DKEY=... -DPROGRAM=... -DSIGNED=... [-DDESCRIPTION=...] -P SignFile.cmake
# PROGRAM and SIGNED may be the same file: the signed program is written beside it and takes
# its name only once osslsigncode has succeeded, so that a failed signing never leaves
# a half-written program under the name.
foreach(var OSSLSIGNCODE CERT KEY PROGRAM SIGNED)
    if(NOT ${var})
        message(FATAL_ERROR "SignFile.cmake: ${var} is not set")
    endif()
endforeach()
if(NOT DESCRIPTION)
    set(DESCRIPTION "Tarnwick update")
endif()
set(partial "${SIGNED}.signing")
file(REMOVE "${partial}")
execute_process(COMMAND "${OSSLSIGNCODE}" sign -certs "${CERT}" -key "${KEY}" -h sha256 -n "${DESCRIPTION}"
                        -in "${PROGRAM}" -out "${partial}"
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    file(REMOVE "${partial}")
    message(FATAL_ERROR "osslsigncode could not sign ${PROGRAM} (${result})")
endif()
file(RENAME "${partial}" "${SIGNED}")
