cmake_minimum_required(VERSION 3.25)
# The include check against a copy of the sources with wrong includes: each must fail it, named.
# Usage: cmake -DSOURCE_DIR=<project> -DGRAPH=<layers.cmake> -DWORK=<folder> -DCHECK=<check script>
#        -P check-layers-test.cmake

file(REMOVE_RECURSE ${WORK})
file(COPY ${SOURCE_DIR}/src DESTINATION ${WORK})

function(add_line file line)
  file(READ ${WORK}/${file} text)
  file(WRITE ${WORK}/${file} "${line}\n${text}")
endfunction()

# Each wrong include and the line the check must give for it.
add_line(src/components/core/AboutSystem.cpp "#include \"netware/nwlib.h\"")
add_line(src/platform/clock_posix.cpp "#include \"app/form1core.h\"")
add_line(src/dates/dates.cpp "#include <unistd.h>")
file(WRITE ${WORK}/src/stray/stray.cpp "int stray;\n")
set(expected
  "src/components/core/AboutSystem.cpp: includes netware/nwlib.h of netware, which components/core does not link"
  "src/platform/clock_posix.cpp: includes app/form1core.h of app/core, which platform does not link"
  "src/dates/dates.cpp: includes the system header <unistd.h>"
  "src/stray/stray.cpp: in the folder of no layer")

execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${WORK} -DGRAPH=${GRAPH} -P ${CHECK}
  RESULT_VARIABLE status ERROR_VARIABLE said)
file(REMOVE_RECURSE ${WORK})
if(status EQUAL 0)
  message(FATAL_ERROR "the check passed sources with wrong includes")
endif()
foreach(line IN LISTS expected)
  string(FIND "${said}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the check did not say \"${line}\"; it said:\n${said}")
  endif()
endforeach()
message(STATUS "each wrong include failed the check")
