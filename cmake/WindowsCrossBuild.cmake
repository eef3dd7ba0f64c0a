# Included after the top-level project() of the Windows cross build
# (scripts/test-windows passes it as CMAKE_PROJECT_INCLUDE together with the
# mingw-w64 toolchain). There are no GoogleTest binaries for the target, so
# GoogleTest is built from source.
include_guard(GLOBAL)

list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/GoogleTestFromSource)
