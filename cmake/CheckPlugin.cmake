cmake_policy(VERSION 3.25)
# Checks the built plug-in as After Effects' loader would see it, with binutils' own PE reader
# (independent of our code): a PE32+ DLL for x86-64, whose export table holds exactly
# EffectMain and PluginDataEntryFunction, and which imports system DLLs only.
# Usage: cmake -DOBJDUMP=... -DPLUGIN=.../Nebulastra.aex -P CheckPlugin.cmake

execute_process(COMMAND ${OBJDUMP} -p ${PLUGIN} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump could not read ${PLUGIN}")
endif()

if(NOT dump MATCHES "file format pei-x86-64")
  message(FATAL_ERROR "${PLUGIN} is not a PE32+ x86-64 image")
endif()
if(NOT dump MATCHES "Magic[ \t]+020b")
  message(FATAL_ERROR "${PLUGIN} lacks the PE32+ optional header magic")
endif()
if(NOT dump MATCHES "Characteristics[^\n]*\n([^\n]*\n)*[ \t]*DLL")
  message(FATAL_ERROR "${PLUGIN} is not marked as a DLL")
endif()

# Export names: the lines of the "[Ordinal/Name Pointer] Table" section.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[ 0-9]+\\][^\n]*\n)*)" _ "${dump}")
set(table "${CMAKE_MATCH_1}")
# Brackets confuse CMake's list handling: turn "[   0] Name" into "#0 Name" first.
string(REGEX REPLACE "\\[[ \t]*([0-9]+)\\]" "#\\1" table "${table}")
string(REGEX MATCHALL "#[0-9]+[ \t]+[A-Za-z_0-9@]+" names "${table}")
set(exports "")
foreach(n IN LISTS names)
  string(REGEX REPLACE "^#[0-9]+[ \t]+" "" n "${n}")
  list(APPEND exports "${n}")
endforeach()
list(SORT exports)
if(NOT exports STREQUAL "EffectMain;PluginDataEntryFunction")
  message(FATAL_ERROR "export table of ${PLUGIN} is [${exports}], expected exactly EffectMain and PluginDataEntryFunction")
endif()

# Imports: every DLL must be part of Windows itself.
string(REGEX MATCHALL "DLL Name: [^\n]+" dlls "${dump}")
set(allowed kernel32.dll msvcrt.dll user32.dll advapi32.dll ntdll.dll ucrtbase.dll)
foreach(d IN LISTS dlls)
  string(REGEX REPLACE "DLL Name: " "" d "${d}")
  string(STRIP "${d}" d)
  string(TOLOWER "${d}" lower)
  if(NOT lower IN_LIST allowed AND NOT lower MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${PLUGIN} imports ${d}, which is not a system DLL")
  endif()
endforeach()
message(STATUS "${PLUGIN}: PE32+ DLL, exports [${exports}], imports ${dlls}")
