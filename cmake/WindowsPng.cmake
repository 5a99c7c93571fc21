# libpng for nebulastra-render.exe. Debian ships zlib for mingw-w64 (libz-mingw-w64-dev) but not
# libpng, so the Windows build compiles Debian's libpng source package itself: the same upstream
# version and patches as the native library, fetched once into the build tree by
# scripts/fetch-debian-source.sh. When the source cannot be had (no network, no deb-src access),
# the tool is built without its PNG writer and says so when asked for PNG.
# OpenEXR is cross-built as well (WindowsOpenExr.cmake), with its own CMake build.

find_library(NEBULASTRA_MINGW_ZLIB NAMES libz.a)  # the static one: the tool needs only system DLLs
find_path(NEBULASTRA_MINGW_ZLIB_INCLUDE zlib.h)
set(NEBULASTRA_LIBPNG_SOURCE ${CMAKE_BINARY_DIR}/deps/libpng1.6 CACHE PATH "Unpacked libpng1.6 source package")

if(NEBULASTRA_MINGW_ZLIB AND NEBULASTRA_MINGW_ZLIB_INCLUDE AND NOT EXISTS ${NEBULASTRA_LIBPNG_SOURCE}/png.h)
  message(STATUS "Fetching Debian's libpng1.6 source package for nebulastra-render.exe")
  execute_process(COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/fetch-debian-source.sh libpng1.6 ${CMAKE_BINARY_DIR}/deps
                  RESULT_VARIABLE fetch_result)
endif()

if(NOT NEBULASTRA_MINGW_ZLIB OR NOT NEBULASTRA_MINGW_ZLIB_INCLUDE)
  message(STATUS "nebulastra-render.exe without PNG: no mingw-w64 zlib (Debian package libz-mingw-w64-dev)")
elseif(NOT EXISTS ${NEBULASTRA_LIBPNG_SOURCE}/png.h)
  message(STATUS "nebulastra-render.exe without PNG: libpng's source could not be fetched")
else()
  set(src ${NEBULASTRA_LIBPNG_SOURCE})
  add_library(nebulastra_png STATIC
    ${src}/png.c ${src}/pngerror.c ${src}/pngget.c ${src}/pngmem.c ${src}/pngpread.c ${src}/pngread.c
    ${src}/pngrio.c ${src}/pngrtran.c ${src}/pngrutil.c ${src}/pngset.c ${src}/pngtrans.c ${src}/pngwio.c
    ${src}/pngwrite.c ${src}/pngwtran.c ${src}/pngwutil.c)
  # libpng's stock configuration, as its own build uses when it does not generate one.
  configure_file(${src}/scripts/pnglibconf.h.prebuilt ${CMAKE_BINARY_DIR}/deps/png-include/pnglibconf.h COPYONLY)
  target_include_directories(nebulastra_png SYSTEM PUBLIC ${src} ${CMAKE_BINARY_DIR}/deps/png-include
                                                    ${NEBULASTRA_MINGW_ZLIB_INCLUDE})
  target_link_libraries(nebulastra_png PUBLIC ${NEBULASTRA_MINGW_ZLIB})
  target_compile_options(nebulastra_png PRIVATE -w)  # third-party code: its warnings are not ours
  add_library(PNG::PNG ALIAS nebulastra_png)
endif()
