# The form-description reader: without a GUI application object, then in two phases.
daypane_add_test(formreader_test
  SOURCES formreader_test.cpp formtestclasses.h formtestclasses.cpp
  LIBS daypane::gui)
daypane_add_test(formreader_phases_test
  SOURCES formreader_phases_test.cpp formtestclasses.h formtestclasses.cpp
  LIBS daypane::gui)

# The corpus of the reader's fuzz target, with seeded mutations, in every build.
include(${PROJECT_SOURCE_DIR}/fuzz/fuzz.cmake)
daypane_add_test(formreader_corpus_test
  SOURCES formreader_corpus_test.cpp
  LIBS daypane_formfuzz)
target_compile_definitions(formreader_corpus_test PRIVATE
  DAYPANE_FORM_CORPUS="${DAYPANE_FORM_CORPUS}")
