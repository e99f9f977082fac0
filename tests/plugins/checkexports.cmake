# cmake -DNM=nm -DEXECUTABLE=path -DEXPORT_LIST=exports.list -P checkexports.cmake
cmake_minimum_required(VERSION 3.25)
# Fails unless the executable's defined dynamic symbols are exactly the names of the export list,
# apart from the few the C runtime and the linker define in every program (reserved names that
# start with an underscore, and data_start) and those of the C++ standard library.
execute_process(COMMAND ${NM} -D --defined-only ${EXECUTABLE}
  OUTPUT_VARIABLE nm_output RESULT_VARIABLE nm_result)
if(NOT nm_result EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${EXECUTABLE}")
endif()

file(STRINGS ${EXPORT_LIST} lines REGEX "^[ \t]*[A-Za-z_][A-Za-z0-9_]*;")
set(expected)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[ \t]*([A-Za-z0-9_]+);.*" "\\1" name "${line}")
  list(APPEND expected ${name})
endforeach()
list(LENGTH expected expected_count)
if(expected_count EQUAL 0)
  message(FATAL_ERROR "no names in ${EXPORT_LIST}")
endif()

string(REPLACE "\n" ";" nm_lines "${nm_output}")
set(exported)
set(unexpected)
foreach(line IN LISTS nm_lines)
  if(NOT line MATCHES "([^ ]+)$")
    continue()
  endif()
  set(name ${CMAKE_MATCH_1})
  list(APPEND exported ${name})
  if(name IN_LIST expected)
    continue()
  endif()
  if(name STREQUAL "data_start" OR (name MATCHES "^_" AND NOT name MATCHES "^_Z"))
    continue()
  endif()
  # Type information and local statics of the C++ standard library's templates, which the
  # executable carries copies of and shares with libstdc++.
  if(name MATCHES "^_Z(Z|TI|TS|TV)?N?St")
    continue()
  endif()
  list(APPEND unexpected ${name})
endforeach()

set(missing)
foreach(name IN LISTS expected)
  if(NOT name IN_LIST exported)
    list(APPEND missing ${name})
  endif()
endforeach()

list(LENGTH exported exported_count)
message(STATUS "${exported_count} defined dynamic symbols, ${expected_count} in the export list")
if(missing OR unexpected)
  list(LENGTH unexpected unexpected_count)
  list(SUBLIST unexpected 0 20 shown)
  message(FATAL_ERROR "missing: ${missing}\n"
    "exported but not in the list (${unexpected_count}, the first 20): ${shown}")
endif()
