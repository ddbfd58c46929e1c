# Colours and drawing calls; text measuring needs the GUI application object.
find_package(Qt6 REQUIRED COMPONENTS Test)
daypane_add_test(test_graphics
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_graphics.cpp
  LIBS daypane::gui Qt6::Test APP gui)
