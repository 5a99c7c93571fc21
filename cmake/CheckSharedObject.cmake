cmake_policy(VERSION 3.25)
# Checks that the native effect library exports exactly the two entry points, like the .aex.
# Usage: cmake -DNM=nm -DLIBRARY=.../Nebulastra.so -P CheckSharedObject.cmake

execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "nm could not read ${LIBRARY}")
endif()
string(REGEX MATCHALL "[0-9a-fA-F]+ [A-Za-z] [^\n]+" lines "${dump}")
set(exports "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^[0-9a-fA-F]+ [A-Za-z] " "" name "${line}")
  list(APPEND exports "${name}")
endforeach()
list(SORT exports)
if(NOT exports STREQUAL "EffectMain;PluginDataEntryFunction")
  message(FATAL_ERROR "${LIBRARY} exports [${exports}], expected exactly EffectMain and PluginDataEntryFunction")
endif()
message(STATUS "${LIBRARY}: exports [${exports}]")
