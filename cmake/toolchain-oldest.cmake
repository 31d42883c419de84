# The oldest toolchain Kestrion is built with: clang 13 and LLVM 13's
# libc++, as Xcode 14.0 to 14.2 (macOS 12) and FreeBSD 13.1 give, on
# Debian. scripts/fetch-libcxx-13.sh installs clang-13 and unpacks the
# library into build-oldest-libcxx/, which the build compiles against
# (-stdlib++-isystem, in place of the compiler's own libc++ headers) and
# links and runs with (-L and an rpath).
get_filename_component(libcxx "${CMAKE_CURRENT_LIST_DIR}/../build-oldest-libcxx/usr/lib/llvm-13" ABSOLUTE)
if(NOT EXISTS "${libcxx}/include/c++/v1/version")
  message(FATAL_ERROR "LLVM 13's libc++ is not in ${libcxx}: run scripts/fetch-libcxx-13.sh first")
endif()
set(CMAKE_CXX_COMPILER clang++-13)
set(CMAKE_CXX_FLAGS_INIT "-stdlib++-isystem ${libcxx}/include/c++/v1")
# Link flags for C++ alone: GoogleTest's project also enables C, whose
# compiler knows no -stdlib.
set(CMAKE_CXX_STANDARD_LIBRARIES_INIT "-stdlib=libc++ -L${libcxx}/lib -Wl,-rpath,${libcxx}/lib")
