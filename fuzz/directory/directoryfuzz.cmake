# Fuzz harnesses of the directory layer's readers: the configuration file, the login records
# and the LDAP values (GeneralizedTime, DN, filter value). The harness library always builds and
# a regular test runs the committed corpus through it; the libFuzzer targets need clang and
# DAYPANE_FUZZ=ON (see fuzz/README.md).
include_guard(GLOBAL)

add_library(daypane_directoryfuzz STATIC
  ${CMAKE_CURRENT_LIST_DIR}/directoryfuzz.h
  ${CMAKE_CURRENT_LIST_DIR}/directoryfuzz.cpp
)
target_include_directories(daypane_directoryfuzz PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(daypane_directoryfuzz PUBLIC daypane::core)
set(DAYPANE_DIRECTORY_CORPUS ${CMAKE_CURRENT_LIST_DIR}/corpus)

# The readers' sources are compiled in directly so that libFuzzer sees their coverage.
foreach(_fuzz "config_fuzz;config" "loginrecords_fuzz;logins" "ldapvalues_fuzz;ldapvalues")
  list(GET _fuzz 0 _target)
  list(GET _fuzz 1 _corpus)
  daypane_add_fuzz_target(${_target}
    SOURCES
      ${CMAKE_CURRENT_LIST_DIR}/${_target}.cpp
      ${CMAKE_CURRENT_LIST_DIR}/directoryfuzz.cpp
      ${PROJECT_SOURCE_DIR}/src/directory/config.cpp
      ${PROJECT_SOURCE_DIR}/src/directory/generalizedtime.cpp
      ${PROJECT_SOURCE_DIR}/src/directory/ldapnames.cpp
      ${PROJECT_SOURCE_DIR}/src/directory/loginrecords.cpp
      ${PROJECT_SOURCE_DIR}/src/dates/dates.cpp
    INCLUDES
      ${PROJECT_SOURCE_DIR}/src/directory/include ${PROJECT_SOURCE_DIR}/src/dates/include
      ${PROJECT_SOURCE_DIR}/src/framework/core/include ${PROJECT_SOURCE_DIR}/src/platform/include
      ${CMAKE_CURRENT_LIST_DIR}
    LIBS Qt6::Core
    CORPUS ${DAYPANE_DIRECTORY_CORPUS}/${_corpus})
endforeach()
