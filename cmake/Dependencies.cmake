# Libraries around the effect (never inside it): GoogleTest for both builds, built from the
# sources Debian ships so the cross build gets its own copy; nlohmann-json and CLI11 (header only)
# for scene files and the render tool's command line in both builds; libpng, OpenEXR and Google
# Benchmark for the native tools, and libpng, Imath and OpenEXR built from source for the Windows
# tool.

set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# nlohmann-json lives in /usr/include, which a cross compiler must not search wholesale (glibc
# headers would shadow mingw's). Expose just its folder through a private include root.
set(NEBULASTRA_JSON_ROOT ${CMAKE_BINARY_DIR}/json-include)
file(MAKE_DIRECTORY ${NEBULASTRA_JSON_ROOT})
if(NOT EXISTS ${NEBULASTRA_JSON_ROOT}/nlohmann)
  file(CREATE_LINK /usr/include/nlohmann ${NEBULASTRA_JSON_ROOT}/nlohmann SYMBOLIC)
endif()
add_library(nebulastra_json INTERFACE)
target_include_directories(nebulastra_json SYSTEM INTERFACE ${NEBULASTRA_JSON_ROOT})

if(NOT WIN32)
  find_package(PNG REQUIRED)
  find_package(OpenEXR REQUIRED)
  find_package(CLI11 REQUIRED)
  find_package(benchmark QUIET)
else()
  # CLI11 the same way as nlohmann-json: only its own folder, through a private include root.
  set(NEBULASTRA_CLI11_ROOT ${CMAKE_BINARY_DIR}/cli11-include)
  file(MAKE_DIRECTORY ${NEBULASTRA_CLI11_ROOT})
  if(NOT EXISTS ${NEBULASTRA_CLI11_ROOT}/CLI)
    file(CREATE_LINK /usr/include/CLI ${NEBULASTRA_CLI11_ROOT}/CLI SYMBOLIC)
  endif()
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${NEBULASTRA_CLI11_ROOT})
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsPng.cmake)
  include(${CMAKE_CURRENT_LIST_DIR}/WindowsOpenExr.cmake)
endif()
