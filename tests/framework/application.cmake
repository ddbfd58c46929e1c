daypane_add_test(test_application SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_application.cpp
  LIBS daypane::core)
