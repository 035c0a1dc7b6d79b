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
set(SETUP_PAYLOAD ${payload})
