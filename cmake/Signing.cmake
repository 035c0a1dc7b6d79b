# A signed setup.exe: with SETUP_SIGN_CERT and SETUP_SIGN_KEY given, every link of the
# setup program ends with its Authenticode signature (cmake/SignFile.cmake). The
# signature lies outside the resources, so the program's own payload check is not
# affected by it.
set(SETUP_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM or DER) that signs setup.exe; empty: not signed")
set(SETUP_SIGN_KEY "" CACHE FILEPATH "Private key of SETUP_SIGN_CERT (PEM or DER, not encrypted)")

function(sign_setup_program target)
    if(NOT SETUP_SIGN_CERT AND NOT SETUP_SIGN_KEY)
        return()
    endif()
    if(NOT SETUP_SIGN_CERT OR NOT SETUP_SIGN_KEY)
        message(FATAL_ERROR "Signing needs both SETUP_SIGN_CERT and SETUP_SIGN_KEY")
    endif()
    find_program(OSSLSIGNCODE osslsigncode)
    if(NOT OSSLSIGNCODE)
        message(FATAL_ERROR "Signing needs osslsigncode (Debian package osslsigncode)")
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DOSSLSIGNCODE=${OSSLSIGNCODE} -DCERT=${SETUP_SIGN_CERT} -DKEY=${SETUP_SIGN_KEY}
                -DPROGRAM=$<TARGET_FILE:${target}> -DSIGNED=$<TARGET_FILE:${target}> -P ${CMAKE_SOURCE_DIR}/cmake/SignFile.cmake
        COMMENT "Signing ${target} with ${SETUP_SIGN_CERT}"
        VERBATIM)
endfunction()
