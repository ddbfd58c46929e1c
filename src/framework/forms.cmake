# The form-description reader.
target_sources(daypane_framework PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/formreader.h
  ${CMAKE_CURRENT_LIST_DIR}/formreader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/formreader_p.h
  ${CMAKE_CURRENT_LIST_DIR}/formreader_widgets.cpp
)
