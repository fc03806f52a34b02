# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (POSIX thread model, so that
# std::thread works). Programs built here run under wine, which CMake uses to run test programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

# Libraries cross-built for this target (Snappy, GoogleTest) live under ORVEX_WIN_DEPS; only they
# and the compiler's own files may be found, never the build machine's.
set(ORVEX_WIN_DEPS "" CACHE PATH "Prefix of the libraries cross-built for Windows")
set(CMAKE_FIND_ROOT_PATH /usr/${_triple} ${ORVEX_WIN_DEPS})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
if(ORVEX_WIN_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} "${ORVEX_WIN_DEPS}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_SYSROOT_DIR} "")
  # Header-only dependencies (CLI11) are copied there too; every target may include them.
  set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES "${ORVEX_WIN_DEPS}/include")
endif()

# The C++ and thread runtimes are linked in, so the programs and the plug-in need no DLLs beside
# them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
