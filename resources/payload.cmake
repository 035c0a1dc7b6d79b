if(PACKAGE_PAYLOAD)
    set(payload ${PACKAGE_PAYLOAD})
else()
    # The deterministic sample package of this build.
    set(payload ${CMAKE_BINARY_DIR}/resources/sample.pak)
    add_custom_command(
        OUTPUT ${payload}
        COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/make_sample_payload.py ${payload}
                --version ${PACKAGE_VERSION} --magic ${PACKAGE_BASE_NAME}
        DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_sample_payload.py
        COMMENT "Sample package")
endif()
# Setup programs in other folders wait for it through this target: a custom command's
# file alone is known only to targets of its own folder.
add_custom_target(setup_payload DEPENDS ${payload})
set(SETUP_PAYLOAD ${payload})
