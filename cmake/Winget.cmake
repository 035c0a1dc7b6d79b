# A winget manifest beside setup.exe (bin/setup.winget.yaml): the singleton form, for
# `winget install --manifest` and for a private source. Its InstallerSha256 is written
# after every link and every signing of the program (cmake/WingetManifest.cmake), since
# winget refuses an installer whose hash differs from the manifest's.
set(WINGET_PUBLISHER "Example Publisher" CACHE STRING "Publisher named in the winget manifest")
set(WINGET_PACKAGE_IDENTIFIER "ExamplePublisher.TarnwickUpdate" CACHE STRING
    "PackageIdentifier of the winget manifest (Publisher.Package)")
set(WINGET_INSTALLER_URL "https://example.com/tarnwick/setup.exe" CACHE STRING
    "Where winget downloads setup.exe from (InstallerUrl)")
set(WINGET_LICENSE "Example license: set WINGET_LICENSE" CACHE STRING "License named in the winget manifest")
set(WINGET_MANIFEST_NAME "setup.winget.yaml")

# The exit codes other than 0, each with the ReturnResponse that winget reports for it.
# winget has a response of its own for three of them; for the others "custom" has it
# report a custom installer error with the code.
set(SETUP_EXIT_CODE_RESPONSES
    1 custom             # the environment could not be read
    2 custom             # not an administrator
    3 custom             # the setup file failed its integrity check
    4 missingDependency  # the application (Tarnwick) is not installed
    5 custom             # the package file could not be installed
    6 custom             # the installed size could not be recorded
    7 installInProgress  # another setup of the same package is running
    8 invalidParameter   # nobody could be asked: run it with modest
)

# YAML single quotes: nothing in a setting (": ", "#", a leading "@") is read as syntax.
function(winget_quoted out value)
    string(REPLACE "'" "''" value "${value}")
    set(${out} "'${value}'" PARENT_SCOPE)
endfunction()

# The Log switch quotes <LOGPATH>: winget puts the path in its place as it stands, and
# the path it chooses when none is given lies in the user's profile, which may hold
# blanks.
function(write_winget_manifest target)
    winget_quoted(WINGET_PUBLISHER_VALUE "${WINGET_PUBLISHER}")
    winget_quoted(WINGET_PACKAGE_IDENTIFIER_VALUE "${WINGET_PACKAGE_IDENTIFIER}")
    winget_quoted(WINGET_INSTALLER_URL_VALUE "${WINGET_INSTALLER_URL}")
    winget_quoted(WINGET_LICENSE_VALUE "${WINGET_LICENSE}")
    winget_quoted(WINGET_PACKAGE_VERSION_VALUE "${PACKAGE_VERSION}")
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(WINGET_ARCHITECTURE x64)
    else()
        set(WINGET_ARCHITECTURE x86)
    endif()
    set(WINGET_RETURN_CODES "")
    set(codes ${SETUP_EXIT_CODE_RESPONSES})
    while(codes)
        list(POP_FRONT codes code response)
        string(APPEND WINGET_RETURN_CODES "      - InstallerReturnCode: ${code}\n        ReturnResponse: ${response}\n")
    endwhile()
    # Left for the script, which knows the hash once the program is linked and signed.
    set(INSTALLER_SHA256 "@INSTALLER_SHA256@")
    set(template ${CMAKE_BINARY_DIR}/winget/${WINGET_MANIFEST_NAME}.in)
    configure_file(${CMAKE_SOURCE_DIR}/resources/setup.winget.yaml.in ${template} @ONLY)
    # Added after the signing step: CMake runs a target's POST_BUILD commands in the
    # order they were added. A changed setting relinks the program, which rewrites the manifest.
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}> -DTEMPLATE=${template}
                -DMANIFEST=$<TARGET_FILE_DIR:${target}>/${WINGET_MANIFEST_NAME}
                -P ${CMAKE_SOURCE_DIR}/cmake/WingetManifest.cmake
        COMMENT "winget manifest of ${target}"
        VERBATIM)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${template})
endfunction()
