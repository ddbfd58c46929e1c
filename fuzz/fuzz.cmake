# The form reader's fuzz harness. The harness library always builds (a regular test runs the
# committed corpus through it); the libFuzzer target needs clang and DAYPANE_FUZZ=ON:
#   CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DDAYPANE_FUZZ=ON
#   cmake --build build-fuzz --target formreader_fuzz
#   cp -r fuzz/corpus /tmp/corpus && build-fuzz/bin/formreader_fuzz -max_total_time=60 /tmp/corpus
include_guard(GLOBAL)

option(DAYPANE_FUZZ "Build the libFuzzer targets (clang only)" OFF)

add_library(daypane_formfuzz STATIC
  ${CMAKE_CURRENT_LIST_DIR}/formfuzz.h
  ${CMAKE_CURRENT_LIST_DIR}/formfuzz.cpp
)
target_include_directories(daypane_formfuzz PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(daypane_formfuzz PUBLIC daypane_formclasses daypane::gui)
set(DAYPANE_FORM_CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus)

if(DAYPANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "DAYPANE_FUZZ needs clang (configure with CMAKE_CXX_COMPILER=clang++)")
  endif()
  # The reader's sources are compiled in directly so that libFuzzer sees their coverage.
  add_executable(formreader_fuzz
    ${CMAKE_CURRENT_LIST_DIR}/formreader_fuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/formfuzz.cpp
    ${PROJECT_SOURCE_DIR}/tests/framework/formtestclasses.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/formparser.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/formvalues.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/formreader.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/core/exception.cpp
    ${PROJECT_SOURCE_DIR}/src/framework/gui/formpictures.cpp
  )
  target_include_directories(formreader_fuzz PRIVATE
    ${PROJECT_SOURCE_DIR}/src/framework/core/include ${PROJECT_SOURCE_DIR}/src/framework/gui/include
    ${PROJECT_SOURCE_DIR}/src/platform/include
    ${PROJECT_SOURCE_DIR}/tests/framework ${CMAKE_CURRENT_LIST_DIR})
  target_compile_options(formreader_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(formreader_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(formreader_fuzz PRIVATE Qt6::Widgets)
  set_target_properties(formreader_fuzz PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endif()
