# Cross build for Windows with the mingw-w64 compilers (POSIX thread model).
# OV_ARCH selects the target: i686 (the product: 32-bit PE files, DWARF-2 exceptions) or
# x86_64 (the same sources as 64-bit PE files, used to run the tests on hosts that
# cannot execute 32-bit code; see scripts/wine-env.sh).
if(NOT OV_ARCH)
  if(DEFINED ENV{OV_ARCH})
    set(OV_ARCH $ENV{OV_ARCH})
  else()
    set(OV_ARCH i686)
  endif()
endif()
set(OV_ARCH ${OV_ARCH} CACHE STRING "Target architecture: i686 or x86_64")

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${OV_ARCH})
set(OV_TRIPLE ${OV_ARCH}-w64-mingw32)

set(CMAKE_C_COMPILER   ${OV_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OV_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${OV_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${OV_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every executable run by CTest goes through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run.sh)

# Several work trees of one machine share compiled objects through ccache (paths are
# made relative to CCACHE_BASEDIR by scripts/build.sh).
find_program(OV_CCACHE ccache)
if(OV_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${OV_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${OV_CCACHE})
endif()
