# quorvel_add_gtest(<name> LABEL <label> SOURCES <files...> LIBS <libs...>)
# One GoogleTest executable registered with CTest as a single test carrying
# the label of the subsystem it covers.
function(quorvel_add_gtest name)
  if(NOT QUORVEL_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
endfunction()

# quorvel_add_qtest_run(<target> [APPLESS] LABEL <label> TIMEOUT <seconds>)
# Registers a QtTest program on the offscreen platform (APPLESS: one without
# an application object, which takes no platform). Under wine (the
# Windows cross build) the platform is a command-line option, since wine
# hangs with QT_QPA_PLATFORM in the environment, and the result comes back
# through a file, since wine's standard output from such a program is empty.
function(quorvel_add_qtest_run target)
  cmake_parse_arguments(T "APPLESS" "LABEL;TIMEOUT" "" ${ARGN})
  if(CMAKE_CROSSCOMPILING AND WIN32)
    add_test(NAME ${target}
             COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${target}>
                     "-DEMULATOR=${CMAKE_CROSSCOMPILING_EMULATOR}"
                     -DRESULT=${CMAKE_BINARY_DIR}/tests/${target}.result.txt
                     -DPLATFORM=$<IF:$<BOOL:${T_APPLESS}>,,offscreen>
                     -P ${PROJECT_SOURCE_DIR}/cmake/RunQtTestUnderWine.cmake)
  else()
    add_test(NAME ${target} COMMAND ${target})
    set_tests_properties(${target} PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen)
  endif()
  set_tests_properties(${target} PROPERTIES LABELS "${T_LABEL}" TIMEOUT ${T_TIMEOUT})
endfunction()

# quorvel_uses_test_server(<test>)
# The test runs against a throw-away PostgreSQL server of its own run:
# CTest starts it (scripts/postgres-test-server) before the first test that
# needs it and stops it after the last, whatever their outcome, and the
# test finds it through QUORVEL_TEST_POSTGRES. Not for the Windows build,
# whose tests run under wine.
function(quorvel_uses_test_server test)
  if(NOT QUORVEL_BUILD_TESTS OR WIN32)
    return()
  endif()
  set(file ${CMAKE_BINARY_DIR}/tests/postgres-test-server.env)
  get_property(added GLOBAL PROPERTY quorvel_test_server_added)
  if(NOT added)
    set_property(GLOBAL PROPERTY quorvel_test_server_added TRUE)
    add_test(NAME postgres_server_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/postgres-test-server start ${file})
    add_test(NAME postgres_server_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/postgres-test-server stop ${file})
    set_tests_properties(postgres_server_start PROPERTIES FIXTURES_SETUP postgres LABELS postgres TIMEOUT 120)
    set_tests_properties(postgres_server_stop PROPERTIES FIXTURES_CLEANUP postgres LABELS postgres TIMEOUT 120)
  endif()
  set_property(TEST ${test} APPEND PROPERTY FIXTURES_REQUIRED postgres)
  set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT QUORVEL_TEST_POSTGRES=${file})
endfunction()
