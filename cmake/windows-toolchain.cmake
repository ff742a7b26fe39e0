# Cross-build for x86_64 Windows with Debian's MinGW-w64 (posix thread model:
# the win32 model of GCC 12 has no std::thread).
#
#   cmake -S . -B build-windows -G Ninja \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/windows-toolchain.cmake \
#     -DPELKO_WINDOWS_SDK=/path/to/pelko-windows-sdk-1
#
# The SDK folder (Qt, OpenSSL, DCMTK, GoogleTest built for Windows) comes from
# -DPELKO_WINDOWS_SDK or from the environment variable PELKO_WINDOWS_SDK.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PELKO_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PELKO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELKO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PELKO_MINGW_PREFIX}-windres)

if(NOT PELKO_WINDOWS_SDK AND DEFINED ENV{PELKO_WINDOWS_SDK})
  set(PELKO_WINDOWS_SDK "$ENV{PELKO_WINDOWS_SDK}")
endif()
if(NOT PELKO_WINDOWS_SDK)
  message(FATAL_ERROR "Set -DPELKO_WINDOWS_SDK=<folder> or the environment variable PELKO_WINDOWS_SDK")
endif()
get_filename_component(PELKO_WINDOWS_SDK "${PELKO_WINDOWS_SDK}" ABSOLUTE)
if(NOT EXISTS "${PELKO_WINDOWS_SDK}/MANIFEST")
  message(FATAL_ERROR "No Windows SDK in ${PELKO_WINDOWS_SDK} (MANIFEST missing)")
endif()
# Try-compile projects see the same SDK.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES PELKO_WINDOWS_SDK)
set(ENV{PELKO_WINDOWS_SDK} "${PELKO_WINDOWS_SDK}")

set(CMAKE_FIND_ROOT_PATH /usr/${PELKO_MINGW_PREFIX} "${PELKO_WINDOWS_SDK}")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

list(APPEND CMAKE_PREFIX_PATH "${PELKO_WINDOWS_SDK}")
set(DCMTK_DIR "${PELKO_WINDOWS_SDK}/cmake" CACHE PATH "DCMTK's CMake files in the Windows SDK")
set(OPENSSL_ROOT_DIR "${PELKO_WINDOWS_SDK}" CACHE PATH "OpenSSL in the Windows SDK")
# Qt's host tools (moc, rcc, uic) are Debian's, of the same Qt version.
set(QT_HOST_PATH /usr CACHE PATH "Qt host tools")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "Qt host tools' CMake files")

# Folders of the DLLs a Windows program built here needs at run time (for
# scripts that run it under Wine or copy them beside it).
set(PELKO_WINDOWS_RUNTIME_DIRS /usr/lib/gcc/${PELKO_MINGW_PREFIX}/12-posix /usr/${PELKO_MINGW_PREFIX}/lib
                               "${PELKO_WINDOWS_SDK}/bin")

# Test programs (and CTest) run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run;--sdk;${PELKO_WINDOWS_SDK}")
