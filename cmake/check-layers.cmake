cmake_minimum_required(VERSION 3.25)
# Fails when a source file includes a header of a layer its own does not link (directly or
# through the layers it links), when a file above the platform layer includes an
# operating-system header, or when a source file belongs to no layer.
# Usage: cmake -DSOURCE_DIR=<project> -DGRAPH=<build>/layers.cmake [-DSTAMP=<file>]
#        -P check-layers.cmake
# The graph is written by the build from the target links (daypane_write_layer_graph): the
# layers in their order and, for each, `uses_<layer>`, the layers it links.

if(NOT EXISTS "${GRAPH}")
  message(FATAL_ERROR "No layer graph at \"${GRAPH}\": configure the build first")
endif()
include(${GRAPH})

# Headers of the operating system: only the platform layer may include them.
set(os_headers "unistd\\.h|fcntl\\.h|dlfcn\\.h|pwd\\.h|grp\\.h|spawn\\.h|sys/[a-z_]+\\.h|utmpx?\\.h|poll\\.h|termios\\.h|windows\\.h")

function(closure layer out)
  set(result ${layer})
  set(todo ${uses_${layer}})
  while(todo)
    list(POP_FRONT todo next)
    if(NOT next IN_LIST result)
      list(APPEND result ${next})
      list(APPEND todo ${uses_${next}})
    endif()
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# The layer whose include folder holds `header`, or "" when none does.
function(owner header out)
  foreach(layer IN LISTS layers)
    if(EXISTS ${SOURCE_DIR}/src/${layer}/include/${header})
      set(${out} ${layer} PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${out} "" PARENT_SCOPE)
endfunction()

# The layer a file belongs to: the one of the deepest folder that holds it.
function(layer_of file out)
  set(found "")
  foreach(layer IN LISTS layers)
    string(LENGTH "${found}" found_length)
    string(LENGTH "${layer}" length)
    if(file MATCHES "^${SOURCE_DIR}/src/${layer}/" AND length GREATER found_length)
      set(found ${layer})
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

set(faults "")
file(GLOB_RECURSE files ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
foreach(file IN LISTS files)
  file(RELATIVE_PATH rel ${SOURCE_DIR} ${file})
  layer_of(${file} layer)
  if(layer STREQUAL "")
    list(APPEND faults "${rel}: in the folder of no layer")
    continue()
  endif()
  closure(${layer} allowed)
  get_filename_component(dir ${file} DIRECTORY)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      set(header ${CMAKE_MATCH_1})
      if(EXISTS ${dir}/${header} OR header MATCHES "^moc_|\\.moc$")
        continue() # a private header beside the file
      endif()
      owner(${header} from)
      if(from STREQUAL "")
        continue() # not one of ours (a test or third-party header)
      endif()
      if(NOT from IN_LIST allowed)
        list(APPEND faults "${rel}: includes ${header} of ${from}, which ${layer} does not link")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<(${os_headers})>" AND NOT layer STREQUAL "platform")
      list(APPEND faults "${rel}: includes the system header <${CMAKE_MATCH_1}>")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Layering broken:\n  ${text}")
endif()
if(STAMP)
  file(TOUCH ${STAMP})
endif()
