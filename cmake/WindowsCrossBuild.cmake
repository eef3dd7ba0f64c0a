# Included after the top-level project() of the Windows cross build
# (scripts/test-windows passes it as CMAKE_PROJECT_INCLUDE together with the
# mingw-w64 toolchain). There are no GoogleTest binaries for the target, so
# GoogleTest is built from source.
include_guard(GLOBAL)

list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/GoogleTestFromSource)

# zlib from Debian's mingw-w64 build, linked in like the compiler's run time
# so that no zlib1.dll has to ship.
set(ZLIB_USE_STATIC_LIBS ON)
