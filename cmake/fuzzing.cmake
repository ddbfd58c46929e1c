# libFuzzer targets and their runs. With -DDAYPANE_FUZZ=ON (clang only) every target declared
# with daypane_add_fuzz_target is built (all of them: the target `daypane_fuzz`) and becomes a
# test of the label `fuzz` that runs it a fixed number of times over its committed corpus:
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DDAYPANE_FUZZ=ON
#   cmake --build build-fuzz --target daypane_fuzz && ctest --test-dir build-fuzz -L fuzz
# Without the option the calls declare nothing, so the regular build never needs clang.
include_guard(GLOBAL)

option(DAYPANE_FUZZ "Build the libFuzzer targets (clang only)" OFF)
set(DAYPANE_FUZZ_RUNS 500000 CACHE STRING "Executions of each fuzz target in its test")

if(DAYPANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "DAYPANE_FUZZ needs clang (configure with CMAKE_CXX_COMPILER=clang++)")
  endif()
  add_custom_target(daypane_fuzz)
endif()

# daypane_add_fuzz_target(NAME SOURCES ... CORPUS dir [INCLUDES dir ...] [LIBS lib ...] [RUNS n])
# SOURCES hold the entry LLVMFuzzerTestOneInput and the code under test, compiled in directly so
# that libFuzzer sees its coverage; LIBS are what it needs besides (Qt). The test runs it RUNS
# times (default DAYPANE_FUZZ_RUNS) with a fixed seed, the same inputs on every machine.
function(daypane_add_fuzz_target name)
  cmake_parse_arguments(F "" "CORPUS;RUNS" "SOURCES;INCLUDES;LIBS" ${ARGN})
  if(NOT DAYPANE_FUZZ)
    return()
  endif()
  if(NOT F_SOURCES OR NOT F_CORPUS)
    message(FATAL_ERROR "daypane_add_fuzz_target(${name}): SOURCES and CORPUS are required")
  endif()
  if(NOT F_RUNS)
    set(F_RUNS ${DAYPANE_FUZZ_RUNS})
  endif()
  add_executable(${name} ${F_SOURCES})
  target_include_directories(${name} PRIVATE ${F_INCLUDES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined
                                         -fno-sanitize-recover=undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  add_dependencies(daypane_fuzz ${name})
  add_test(NAME fuzz_${name}
    COMMAND ${PROJECT_SOURCE_DIR}/fuzz/run-fuzz-target.sh $<TARGET_FILE:${name}> ${F_CORPUS}
            ${CMAKE_BINARY_DIR}/fuzz-runs/${name} ${F_RUNS})
  set_tests_properties(fuzz_${name} PROPERTIES
    LABELS fuzz
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
    TIMEOUT 1800)
endfunction()
