# Cross build of Velmo.exe for 64-bit Windows with Debian's mingw-w64, tests
# run under wine. The posix thread model is needed for std::thread (used by
# GoogleTest); Debian's default mingw-w64 compilers use the win32 model.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELMO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VELMO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELMO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VELMO_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELMO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything linked in, so Velmo.exe needs no DLL beyond the system's: wine
# ships a zlib1.dll of its own and would hide a dynamic zlib.
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Test programs (and GoogleTest's discovery of their tests) run under wine.
# wine64 directly: the wine wrapper complains on every start when the 32-bit
# half is not installed.
find_program(VELMO_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(VELMO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VELMO_WINE})
endif()
