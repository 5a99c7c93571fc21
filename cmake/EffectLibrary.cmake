# The effect library: Nebulastra.aex on Windows (a DLL with its PiPL resource), a shared object
# with the same two exports on Linux. Everything but the two entry points stays hidden.

set(NEBULASTRA_ENTRY_SOURCES src/entry/exports.cpp)
if(WIN32)
  enable_language(RC)
  list(APPEND NEBULASTRA_ENTRY_SOURCES src/entry/dll_main.cpp)
endif()

add_library(Nebulastra SHARED ${NEBULASTRA_ENTRY_SOURCES})
target_link_libraries(Nebulastra PRIVATE nebulastra_core)
set_target_properties(Nebulastra PROPERTIES PREFIX "")

if(WIN32)
  set_target_properties(Nebulastra PROPERTIES SUFFIX ".aex")
  # The PiPL bytes come from the same constants as the entry points: a small program built for
  # the build machine writes them, and the resource script embeds that file.
  set(PIPL_BIN ${CMAKE_BINARY_DIR}/pipl/nebulastra.pipl)
  set(PIPL_GEN ${CMAKE_BINARY_DIR}/pipl/write-pipl)
  add_custom_command(
    OUTPUT ${PIPL_BIN}
    COMMAND c++ -std=c++17 -Wall -Wextra -I${CMAKE_SOURCE_DIR}/src
            ${CMAKE_SOURCE_DIR}/tools/pipl/write_pipl.cpp -o ${PIPL_GEN}
    COMMAND ${PIPL_GEN} ${PIPL_BIN}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/pipl/write_pipl.cpp ${CMAKE_SOURCE_DIR}/src/entry/effect_identity.h
            ${CMAKE_SOURCE_DIR}/src/entry/pipl.h
    COMMENT "Writing the PiPL resource")
  # Anything before the release stage (develop, alpha, beta) is marked VS_FF_PRERELEASE.
  if(NEBULASTRA_VERSION_STAGE LESS 3)
    set(NEBULASTRA_VERSION_FILE_FLAGS 0x2)
  else()
    set(NEBULASTRA_VERSION_FILE_FLAGS 0x0)
  endif()
  configure_file(src/entry/nebulastra.rc.in ${CMAKE_BINARY_DIR}/pipl/nebulastra.rc @ONLY)
  set_source_files_properties(${CMAKE_BINARY_DIR}/pipl/nebulastra.rc PROPERTIES OBJECT_DEPENDS ${PIPL_BIN})
  target_sources(Nebulastra PRIVATE ${CMAKE_BINARY_DIR}/pipl/nebulastra.rc src/entry/nebulastra.def)
  target_link_options(Nebulastra PRIVATE -Wl,--exclude-all-symbols)
else()
  set(NEBULASTRA_EXPORT_MAP ${CMAKE_SOURCE_DIR}/src/entry/nebulastra.map)
  target_link_options(Nebulastra PRIVATE -Wl,--version-script=${NEBULASTRA_EXPORT_MAP})
  # Every symbol resolved inside the library or its runtime libraries. Clang's sanitizer runtimes
  # live in the loading program instead, so sanitized clang builds leave those references open.
  if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND (NEBULASTRA_SANITIZE OR NEBULASTRA_TSAN OR NEBULASTRA_LIBFUZZER)))
    target_link_options(Nebulastra PRIVATE -Wl,--no-undefined)
  endif()
  set_target_properties(Nebulastra PROPERTIES LINK_DEPENDS ${NEBULASTRA_EXPORT_MAP})
endif()
