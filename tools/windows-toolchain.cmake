# Cross-building for 64-bit Windows with mingw-w64 (the POSIX-thread
# compilers, which C++ threads need). ORBIVANE_WINDOWS_PREFIX is the folder
# tools/windows.sh installs libpng and the static wxMSW into,
# ORBIVANE_WINDOWS_ERFA_PREFIX the one of the static ERFA.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_host x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_host}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_host}-g++-posix)
set(CMAKE_RC_COMPILER ${_host}-windres)

list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ORBIVANE_WINDOWS_PREFIX ORBIVANE_WINDOWS_ERFA_PREFIX)
foreach(_prefix ORBIVANE_WINDOWS_PREFIX ORBIVANE_WINDOWS_ERFA_PREFIX)
  if(NOT ${_prefix})
    message(FATAL_ERROR "${_prefix} is not set: build through tools/windows.sh")
  endif()
endforeach()
set(CMAKE_FIND_ROOT_PATH /usr/${_host} ${ORBIVANE_WINDOWS_PREFIX} ${ORBIVANE_WINDOWS_ERFA_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(wxWidgets_CONFIG_EXECUTABLE ${ORBIVANE_WINDOWS_PREFIX}/bin/wx-config CACHE FILEPATH "")

# Stand-alone executables: the C and C++ runtimes, winpthreads, libpng,
# zlib and ERFA are linked in, so only the system's own DLLs are imported.
# No link time in the executables' headers, so that two builds of one commit give the same files.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
set(ZLIB_USE_STATIC_LIBS ON)  # find_package(ZLIB): libz.a, not the import library of zlib1.dll

# The tests run under Wine, in a prefix of their own inside the build folder.
set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${CMAKE_BINARY_DIR}/wine WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= wine)
# Wine shows this machine's root as drive Z:, so paths of the build machine
# compiled into the tests are given as Z: paths.
set(ORBIVANE_EMULATOR_ROOT "Z:")
