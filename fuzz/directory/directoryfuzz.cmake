# Fuzz harnesses of the directory layer's readers: the configuration file, the login records
# and the LDAP values (GeneralizedTime, DN, filter value). The harness library always builds and
# a regular test runs the committed corpus through it; the libFuzzer targets need clang and
# DAYPANE_FUZZ=ON:
#   CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DDAYPANE_FUZZ=ON
#   cmake --build build-fuzz --target config_fuzz loginrecords_fuzz ldapvalues_fuzz
#   cp -r fuzz/directory/corpus/config /tmp/c && build-fuzz/bin/config_fuzz -runs=100000 /tmp/c
include_guard(GLOBAL)

option(DAYPANE_FUZZ "Build the libFuzzer targets (clang only)" OFF)

add_library(daypane_directoryfuzz STATIC
  ${CMAKE_CURRENT_LIST_DIR}/directoryfuzz.h
  ${CMAKE_CURRENT_LIST_DIR}/directoryfuzz.cpp
)
target_include_directories(daypane_directoryfuzz PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(daypane_directoryfuzz PUBLIC daypane::core)
set(DAYPANE_DIRECTORY_CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus)

if(DAYPANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "DAYPANE_FUZZ needs clang (configure with CMAKE_CXX_COMPILER=clang++)")
  endif()
  # The readers' sources are compiled in directly so that libFuzzer sees their coverage.
  foreach(target config_fuzz loginrecords_fuzz ldapvalues_fuzz)
    add_executable(${target}
      ${CMAKE_CURRENT_LIST_DIR}/${target}.cpp
      ${CMAKE_CURRENT_LIST_DIR}/directoryfuzz.cpp
      ${PROJECT_SOURCE_DIR}/src/directory/config.cpp
      ${PROJECT_SOURCE_DIR}/src/directory/generalizedtime.cpp
      ${PROJECT_SOURCE_DIR}/src/directory/ldapnames.cpp
      ${PROJECT_SOURCE_DIR}/src/directory/loginrecords.cpp
      ${PROJECT_SOURCE_DIR}/src/dates/dates.cpp
    )
    target_include_directories(${target} PRIVATE
      ${PROJECT_SOURCE_DIR}/src/directory/include ${PROJECT_SOURCE_DIR}/src/dates/include
      ${PROJECT_SOURCE_DIR}/src/framework/core/include ${PROJECT_SOURCE_DIR}/src/platform/include
      ${CMAKE_CURRENT_LIST_DIR})
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${target} PRIVATE Qt6::Core)
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endforeach()
endif()
