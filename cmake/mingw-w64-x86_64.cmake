# Cross build for 64-bit Windows with Debian's mingw-w64 compilers (the
# posix thread model, which std::thread and GoogleTest need, and which the
# Qt of scripts/build-qt-windows is built with). The compiler's run-time is
# linked statically into our programs; Qt's DLLs need the run-time DLLs,
# which the package carries beside them.
#
# QUORVEL_WINDOWS_QT_PREFIX names that Qt's prefix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

set(QUORVEL_WINDOWS_QT_PREFIX "" CACHE PATH "Prefix of Qt built for Windows")
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUORVEL_WINDOWS_QT_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
if(QUORVEL_WINDOWS_QT_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${QUORVEL_WINDOWS_QT_PREFIX})
  list(PREPEND CMAKE_PREFIX_PATH ${QUORVEL_WINDOWS_QT_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Not ONLY: Qt's package files look up their components by absolute paths
# inside Qt's prefix, which re-rooting would break.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
