# Components of every property kind the reader converts to, for the reader's tests and its
# fuzz harness.
add_library(daypane_formclasses STATIC
  ${CMAKE_CURRENT_LIST_DIR}/formtestclasses.h ${CMAKE_CURRENT_LIST_DIR}/formtestclasses.cpp)
target_include_directories(daypane_formclasses PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(daypane_formclasses PUBLIC daypane::gui)

# The form-description reader: without a GUI application object, then in two phases.
daypane_add_test(formreader_test
  SOURCES formreader_test.cpp LIBS daypane_formclasses daypane::gui)
daypane_add_test(formreader_phases_test
  SOURCES formreader_phases_test.cpp LIBS daypane_formclasses daypane::gui)

# The corpus of the reader's fuzz target, with seeded mutations, in every build.
include(${PROJECT_SOURCE_DIR}/fuzz/fuzz.cmake)
daypane_add_test(formreader_corpus_test
  SOURCES formreader_corpus_test.cpp
  LIBS daypane_formfuzz)
target_compile_definitions(formreader_corpus_test PRIVATE
  DAYPANE_FORM_CORPUS="${DAYPANE_FORM_CORPUS}")
