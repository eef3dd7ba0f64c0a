# Included after the top-level project() of the Windows cross build
# (scripts/test-windows passes it as CMAKE_PROJECT_INCLUDE together with the
# mingw-w64 toolchain). There are no GoogleTest binaries and no Qt for the
# target: GoogleTest is built from source, and what needs Qt is left out.
include_guard(GLOBAL)

list(PREPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/GoogleTestFromSource)

# The device model links Qt5::Core for its debug stream, and the panel
# builder links the device model. Until the top-level build has a switch for
# them, the cross build skips their directories here.
function(add_subdirectory source)
  get_filename_component(name "${source}" NAME)
  get_filename_component(parent "${CMAKE_CURRENT_SOURCE_DIR}" NAME)
  if(name STREQUAL "config_quorvel" OR (name STREQUAL "builder" AND parent STREQUAL "panel_sim"))
    message(STATUS "Windows build: ${source} left out (needs Qt)")
    return()
  endif()
  _add_subdirectory(${ARGV})
endfunction()
