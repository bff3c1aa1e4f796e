# Helpers shared by the project's CMake files.

if(WIN32)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(LUMORA_TRIPLE x86_64-w64-mingw32)
  else()
    set(LUMORA_TRIPLE i686-w64-mingw32)
  endif()
  set(LUMORA_DEP_PREFIX ${LUMORA_DEPS}/${LUMORA_TRIPLE})
  # Windows programs carry their runtime: no libstdc++/libgcc DLLs beside them.
  add_link_options(-static -static-libgcc -static-libstdc++)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  if(LUMORA_TRIPLE STREQUAL i686-w64-mingw32)
    # Doubles in SSE2 registers, as on x86_64: the x87 unit keeps 80-bit intermediates, so a
    # product such as 32767 * (1.0 / 32767) would not come out as exactly 1.0 and the two
    # builds would compute different results.
    add_compile_options(-msse2 -mfpmath=sse)
  endif()

  add_library(jpeg STATIC IMPORTED GLOBAL)
  set_target_properties(jpeg PROPERTIES
    IMPORTED_LOCATION ${LUMORA_DEP_PREFIX}/libjpeg/lib/libjpeg.a
    INTERFACE_INCLUDE_DIRECTORIES ${LUMORA_DEP_PREFIX}/libjpeg/include)
  # libspng over Debian's MinGW zlib (static: SPNG_STATIC for its header), libwebp with its
  # demuxer.
  add_library(spng STATIC IMPORTED GLOBAL)
  set_target_properties(spng PROPERTIES
    IMPORTED_LOCATION ${LUMORA_DEP_PREFIX}/spng/lib/libspng.a
    INTERFACE_INCLUDE_DIRECTORIES ${LUMORA_DEP_PREFIX}/spng/include
    INTERFACE_COMPILE_DEFINITIONS SPNG_STATIC
    INTERFACE_LINK_LIBRARIES /usr/${LUMORA_TRIPLE}/lib/libz.a)
  add_library(webp_decoder STATIC IMPORTED GLOBAL)
  set_target_properties(webp_decoder PROPERTIES
    IMPORTED_LOCATION ${LUMORA_DEP_PREFIX}/webp/lib/libwebp.a
    INTERFACE_INCLUDE_DIRECTORIES ${LUMORA_DEP_PREFIX}/webp/include)
  add_library(webp STATIC IMPORTED GLOBAL)
  set_target_properties(webp PROPERTIES
    IMPORTED_LOCATION ${LUMORA_DEP_PREFIX}/webp/lib/libwebpdemux.a
    INTERFACE_LINK_LIBRARIES webp_decoder)
  set(LUMORA_UNRAR_DLL ${LUMORA_DEP_PREFIX}/unrar/unrar.dll)
else()
  find_package(JPEG REQUIRED)
  add_library(jpeg INTERFACE IMPORTED GLOBAL)
  target_link_libraries(jpeg INTERFACE JPEG::JPEG)
  # Debian's libspng-dev and libwebp-dev.
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SPNG REQUIRED IMPORTED_TARGET GLOBAL spng)
  pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET GLOBAL libwebpdemux libwebp)
  add_library(spng INTERFACE IMPORTED GLOBAL)
  target_link_libraries(spng INTERFACE PkgConfig::SPNG)
  add_library(webp INTERFACE IMPORTED GLOBAL)
  target_link_libraries(webp INTERFACE PkgConfig::WEBP)
  # Sanitized variants of the core for tests and fuzzers; benchmarks use the plain one.
  set(LUMORA_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
endif()
