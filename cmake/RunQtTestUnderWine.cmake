# Runs one QtTest program under wine on the offscreen platform and prints its
# result file (cmake -P, from quorvel_add_qtest_run).
#   PROGRAM, EMULATOR (wine), RESULT (a path on the build machine),
#   PLATFORM (empty for a program without an application object)
file(REMOVE ${RESULT})
set(platform_args)
if(PLATFORM)
  set(platform_args -platform ${PLATFORM})
endif()
# Wine's drive Z: is the build machine's root.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ${platform_args} -o "Z:${RESULT},txt"
                RESULT_VARIABLE rc)
if(EXISTS ${RESULT})
  file(READ ${RESULT} text)
  message("${text}")
else()
  message("${PROGRAM} wrote no result file")
  set(rc 1)
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} failed (${rc})")
endif()
