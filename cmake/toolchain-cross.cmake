# Cross-compiling for another Linux architecture with Debian's cross
# toolchain; the tests run under qemu-user. Libraries come from Debian's
# multiarch packages (libmpfr-dev:ARCH, libgtest-dev:ARCH).
# Set KESTRION_CROSS_PROCESSOR, KESTRION_CROSS_TRIPLE (the compiler's),
# KESTRION_CROSS_MULTIARCH (the libraries' folder) and KESTRION_CROSS_QEMU;
# scripts/test-cross.sh does.
foreach(variable KESTRION_CROSS_PROCESSOR KESTRION_CROSS_TRIPLE KESTRION_CROSS_MULTIARCH KESTRION_CROSS_QEMU)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} must be set for a cross build (see scripts/test-cross.sh)")
  endif()
endforeach()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES
  KESTRION_CROSS_PROCESSOR KESTRION_CROSS_TRIPLE KESTRION_CROSS_MULTIARCH KESTRION_CROSS_QEMU)

set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${KESTRION_CROSS_PROCESSOR})
set(CMAKE_C_COMPILER ${KESTRION_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${KESTRION_CROSS_TRIPLE}-g++)
set(CMAKE_LIBRARY_ARCHITECTURE ${KESTRION_CROSS_MULTIARCH})
# No -L: the multiarch libc6:ARCH that the libraries come with provides the
# dynamic loader at its standard path, and mixing it with the cross
# toolchain's own copy of the C library crashes at start-up.
set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTRION_CROSS_QEMU})
