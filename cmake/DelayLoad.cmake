# Delay-load import libraries for the DLLs only the dialogs, the progress window and the
# start through the desktop shell need. A quiet install then never loads them (under
# Wine, loading user32 and its companions costs about 50 ms of a 140 ms run); the first
# call loads the DLL, which is a KnownDLL or, for comctl32, the side-by-side one the
# manifest names.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(symbol_prefix "")
else()
    set(symbol_prefix "_")
endif()
set(SETUP_DELAY_LIBS)
foreach(dll user32 gdi32 shell32 comctl32 ole32 oleaut32)
    set(out ${CMAKE_BINARY_DIR}/delayload/lib${dll}-delay.a)
    add_custom_command(
        OUTPUT ${out}
        COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_delay_lib.py --nm ${CMAKE_NM}
                --dlltool ${CMAKE_DLLTOOL} --import-lib ${CMAKE_FIND_ROOT_PATH}/lib/lib${dll}.a --dll ${dll}.dll
                "--symbol-prefix=${symbol_prefix}"
                --def-file ${CMAKE_BINARY_DIR}/delayload/${dll}.def --output ${out}
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_delay_lib.py
        COMMENT "Delay-load library for ${dll}.dll")
    list(APPEND SETUP_DELAY_LIBS ${out})
endforeach()
add_custom_target(delayload_libs DEPENDS ${SETUP_DELAY_LIBS})
