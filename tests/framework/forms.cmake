# The form-description reader: without a GUI application object, then in two phases.
daypane_add_test(formreader_test
  SOURCES formreader_test.cpp formtestclasses.h formtestclasses.cpp
  LIBS daypane::framework)
daypane_add_test(formreader_phases_test
  SOURCES formreader_phases_test.cpp formtestclasses.h formtestclasses.cpp
  LIBS daypane::framework)
