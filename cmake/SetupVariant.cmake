# add_setup_variant(TARGET BASE_NAME KIND VERSION TITLE PAYLOAD MAIN_SOURCE [LIBS...])
# One setup program: its package constants, its payload resources with their
# checksum table, the icon and the manifest, linked with the program's libraries.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

# The linker's default script with the one-page sections folded into .data.
set(SETUP_LINKER_SCRIPT ${CMAKE_BINARY_DIR}/setup.ld)
add_custom_command(
    OUTPUT ${SETUP_LINKER_SCRIPT}
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_linker_script.py --ld ${CMAKE_LINKER}
            --output ${SETUP_LINKER_SCRIPT}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_linker_script.py
    COMMENT "Linker script of the setup programs")
add_custom_target(setup_linker_script DEPENDS ${SETUP_LINKER_SCRIPT})

# The manifest names the processor architecture of the program: a side-by-side
# comctl32 of another architecture would not be found.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(SETUP_MANIFEST_ARCH amd64)
else()
    set(SETUP_MANIFEST_ARCH X86)
endif()
configure_file(${CMAKE_SOURCE_DIR}/resources/setup.manifest.in ${CMAKE_BINARY_DIR}/setup.manifest @ONLY)

function(add_setup_variant target base kind version title payload main)
    set(dir ${CMAKE_BINARY_DIR}/variants/${target})
    string(REPLACE "\\" "\\\\" _title "${title}")
    string(REPLACE "\"" "\\\"" _title "${_title}")
    set(PACKAGE_TITLE_LITERAL "\"${_title}\"")
    set(PACKAGE_BASE_NAME_VALUE "${base}")
    set(PACKAGE_KIND_VALUE "${kind}")
    set(PACKAGE_VERSION_VALUE "${version}")
    configure_file(${CMAKE_SOURCE_DIR}/setup/package_constants.cpp.in ${dir}/package_constants.cpp @ONLY)

    set(icon ${CMAKE_SOURCE_DIR}/resources/tarnwick.ico)
    set(manifest ${CMAKE_BINARY_DIR}/setup.manifest)
    add_custom_command(
        OUTPUT ${dir}/setup.rc ${dir}/payload-sums.bin
        COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_resources.py --payload ${payload}
                --base-name ${base} --kind ${kind} --out-dir ${dir} --icon ${icon} --manifest ${manifest}
        DEPENDS ${payload} ${icon} ${manifest} ${CMAKE_SOURCE_DIR}/tools/make_resources.py
        COMMENT "Payload resources of ${target}")
    set_source_files_properties(${dir}/setup.rc PROPERTIES OBJECT_DEPENDS "${payload};${dir}/payload-sums.bin;${icon};${manifest}")

    add_executable(${target} WIN32 ${main} ${CMAKE_SOURCE_DIR}/setup/runtime.cpp ${dir}/package_constants.cpp
                                   ${dir}/setup.rc)
    target_link_libraries(${target} PRIVATE tw_setup ${ARGN})
    set_target_properties(${target} PROPERTIES SETUP_DELAY_LOAD ON)
    add_dependencies(${target} delayload_libs setup_linker_script)
    if(TARGET setup_payload)
        add_dependencies(${target} setup_payload)
    endif()
    # A stripped program: the stub's size is watched.
    target_compile_options(${target} PRIVATE -flto)
    # One LTO partition: with the default two, MinGW's GCC 12 stops with an internal
    # error (in binds_to_current_def_p) on the std::string members the program
    # instantiates; the program is small enough for one.
    target_link_options(${target} PRIVATE -s -flto -flto-partition=one -fuse-linker-plugin
                                          -Wl,-T,${SETUP_LINKER_SCRIPT})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${SETUP_LINKER_SCRIPT})
endfunction()
