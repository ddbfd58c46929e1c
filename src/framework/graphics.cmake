# Colours and the drawing calls the custom-drawn components are written against.
target_sources(daypane_framework PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/colors.h ${CMAKE_CURRENT_LIST_DIR}/colors.cpp
  ${CMAKE_CURRENT_LIST_DIR}/drawing.h ${CMAKE_CURRENT_LIST_DIR}/drawing.cpp
)
