# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (the POSIX
# threads flavour, which std::thread needs); the tests run under Wine.
# KESTRION_WINDOWS_DEPS names the folder where scripts/test-windows.sh put
# GMP, MPFR and GoogleTest built for Windows. The program is linked
# statically, C++ runtime included, so that kestrion.exe runs alone.
if(NOT DEFINED KESTRION_WINDOWS_DEPS)
  message(FATAL_ERROR "KESTRION_WINDOWS_DEPS must be set for a Windows build (see scripts/test-windows.sh)")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES KESTRION_WINDOWS_DEPS)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 ${KESTRION_WINDOWS_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
