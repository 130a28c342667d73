# The core's tests, for tests/CMakeLists.txt and the cross-built ones in tests/windows: those
# that need nothing but the core, and those that hold it to ICU, which builds without ICU
# leave out.
set(ORVANI_CORE_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/standard_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/old_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/old_writer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_reader_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/script_writer_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pipeline_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/pieces_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/letter_table_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/utf8_road_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lower_case_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/vector_road_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/keep_case_test.cpp)
set(ORVANI_CORE_ICU_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/utf8_road_nfc_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/lower_case_icu_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/reference_test.cpp)
