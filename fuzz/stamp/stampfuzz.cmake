# The day stamp's fuzz target: the first-line reader and the number conversion, compiled in
# directly so that libFuzzer sees their coverage (clang and DAYPANE_FUZZ=ON, see fuzz/README.md).
include_guard(GLOBAL)

daypane_add_fuzz_target(stamp_fuzz
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/stamp_fuzz.cpp
    ${PROJECT_SOURCE_DIR}/src/platform/textfile_posix.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/strtoint.cpp
  INCLUDES
    ${PROJECT_SOURCE_DIR}/src/platform/include ${PROJECT_SOURCE_DIR}/src/framework/core/include
  LIBS Qt6::Core
  CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus)
