# The form reader's fuzz harness. The harness library always builds (a regular test runs the
# committed corpus through it); the libFuzzer target needs clang and DAYPANE_FUZZ=ON (see
# fuzz/README.md).
include_guard(GLOBAL)

add_library(daypane_formfuzz STATIC
  ${CMAKE_CURRENT_LIST_DIR}/formfuzz.h
  ${CMAKE_CURRENT_LIST_DIR}/formfuzz.cpp
)
target_include_directories(daypane_formfuzz PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(daypane_formfuzz PUBLIC daypane_formclasses daypane::gui)
set(DAYPANE_FORM_CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus)

daypane_add_fuzz_target(formreader_fuzz
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/formreader_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/formfuzz.cpp
    ${PROJECT_SOURCE_DIR}/tests/framework/formtestclasses.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/formparser.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/formvalues.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/formreader.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/strtoint.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/gui/formpictures.cpp
  INCLUDES
    ${PROJECT_SOURCE_DIR}/src/framework/core/include ${PROJECT_SOURCE_DIR}/src/framework/gui/include
    ${PROJECT_SOURCE_DIR}/src/platform/include
    ${PROJECT_SOURCE_DIR}/tests/framework ${CMAKE_CURRENT_LIST_DIR}
  LIBS Qt6::Widgets
  CORPUS ${DAYPANE_FORM_CORPUS})
