# Included after the top-level project() of the Windows cross build
# (scripts/test-windows passes it as CMAKE_PROJECT_INCLUDE together with the
# mingw-w64 toolchain). There are no GoogleTest binaries and no Qt for the
# target: GoogleTest is built from source, and what needs Qt is left out
# (scripts/test-windows sets QUORVEL_DEVICE_MODEL=OFF).
include_guard(GLOBAL)

list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/GoogleTestFromSource)
