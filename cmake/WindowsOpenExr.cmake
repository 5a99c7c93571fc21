# OpenEXR for nebulastra-render.exe. Debian ships Imath and OpenEXR for Linux only, so the Windows
# build cross-compiles Debian's source packages of the very versions the native tool links
# (dpkg-query asks which), with mingw-w64's zlib: the same library, the same compression, so both
# tools write the same bytes for the same frame (tests/tools/windows_frame_check.sh compares
# them). Fetched by scripts/fetch-debian-source.sh and built once, as static libraries, when the
# build is first configured (a few minutes); later configures find them installed under
# deps/exr-install. When either step cannot be done, the tool is built without its OpenEXR writer
# and says so when asked for OpenEXR.

set(deps ${CMAKE_BINARY_DIR}/deps)
set(NEBULASTRA_EXR_PREFIX ${deps}/exr-install)

function(nebulastra_native_version package out)
  execute_process(COMMAND dpkg-query -W -f=\${Version} ${package} OUTPUT_VARIABLE version
                  RESULT_VARIABLE result ERROR_QUIET)
  if(result EQUAL 0)
    set(${out} ${version} PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# Configures, builds and installs one unpacked source package into the prefix.
function(nebulastra_cross_build name)
  set(build ${deps}/${name}-build)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${deps}/${name} -B ${build} -G ${CMAKE_GENERATOR}
            -DCMAKE_TOOLCHAIN_FILE=${CMAKE_TOOLCHAIN_FILE} -DCMAKE_BUILD_TYPE=Release
            -DCMAKE_INSTALL_PREFIX=${NEBULASTRA_EXR_PREFIX} -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF
            ${ARGN}
    OUTPUT_FILE ${deps}/${name}-configure.log ERROR_FILE ${deps}/${name}-configure.log RESULT_VARIABLE result)
  if(result EQUAL 0)
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} --target install
                    OUTPUT_FILE ${deps}/${name}-build.log ERROR_FILE ${deps}/${name}-build.log
                    RESULT_VARIABLE result)
  endif()
  if(NOT result EQUAL 0)
    message(STATUS "${name} for mingw-w64 did not build: see ${deps}/${name}-*.log")
  endif()
endfunction()

set(NEBULASTRA_EXR_LIBRARY ${NEBULASTRA_EXR_PREFIX}/lib/libOpenEXR-3_1.a)
if(NOT EXISTS ${NEBULASTRA_EXR_LIBRARY} AND NEBULASTRA_MINGW_ZLIB AND NEBULASTRA_MINGW_ZLIB_INCLUDE)
  nebulastra_native_version(libimath-dev imath_version)
  nebulastra_native_version(libopenexr-dev openexr_version)
  if(imath_version AND openexr_version)
    message(STATUS "Cross-building Imath ${imath_version} and OpenEXR ${openexr_version} for nebulastra-render.exe")
    execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh imath ${deps} ${imath_version})
    execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh openexr ${deps} ${openexr_version})
    if(EXISTS ${deps}/imath/CMakeLists.txt AND EXISTS ${deps}/openexr/CMakeLists.txt)
      nebulastra_cross_build(imath -DPYTHON=OFF)
      nebulastra_cross_build(openexr -DImath_DIR=${NEBULASTRA_EXR_PREFIX}/lib/cmake/Imath
                             -DZLIB_LIBRARY=${NEBULASTRA_MINGW_ZLIB} -DZLIB_INCLUDE_DIR=${NEBULASTRA_MINGW_ZLIB_INCLUDE}
                             -DOPENEXR_BUILD_TOOLS=OFF -DOPENEXR_INSTALL_TOOLS=OFF -DOPENEXR_INSTALL_EXAMPLES=OFF
                             -DOPENEXR_INSTALL_PKG_CONFIG=OFF)
    endif()
  else()
    message(STATUS "nebulastra-render.exe without OpenEXR: the native libopenexr-dev and libimath-dev name the versions to build")
  endif()
endif()

if(EXISTS ${NEBULASTRA_EXR_LIBRARY})
  set(ZLIB_LIBRARY ${NEBULASTRA_MINGW_ZLIB})
  set(ZLIB_INCLUDE_DIR ${NEBULASTRA_MINGW_ZLIB_INCLUDE})
  find_package(ZLIB REQUIRED)
  set(Imath_DIR ${NEBULASTRA_EXR_PREFIX}/lib/cmake/Imath)
  set(OpenEXR_DIR ${NEBULASTRA_EXR_PREFIX}/lib/cmake/OpenEXR)
  find_package(OpenEXR CONFIG REQUIRED)
else()
  message(STATUS "nebulastra-render.exe without OpenEXR: it could not be cross-built")
endif()
