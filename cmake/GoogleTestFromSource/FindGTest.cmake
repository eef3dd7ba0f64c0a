# Stands in for CMake's FindGTest where no GoogleTest binaries exist for the
# target, as in the Windows cross build: builds GoogleTest from Debian's
# sources (package googletest) with the project's own compiler and offers the
# targets under the names find_package(GTest) gives them.
# Use: -DCMAKE_MODULE_PATH=<this directory> [-DGOOGLETEST_SOURCE_DIR=<dir>]
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources to build")

if(NOT TARGET gtest)
  if(NOT EXISTS ${GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    set(GTest_FOUND FALSE)
    if(GTest_FIND_REQUIRED)
      message(FATAL_ERROR "GoogleTest sources not found in ${GOOGLETEST_SOURCE_DIR} "
                          "(Debian package googletest)")
    endif()
    return()
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

foreach(lib gtest gtest_main gmock gmock_main)
  if(TARGET ${lib} AND NOT TARGET GTest::${lib})
    add_library(GTest::${lib} ALIAS ${lib})
  endif()
endforeach()
if(TARGET gtest AND NOT TARGET GTest::GTest)
  add_library(GTest::GTest ALIAS gtest)
  add_library(GTest::Main ALIAS gtest_main)
endif()
set(GTest_FOUND TRUE)
set(GTEST_FOUND TRUE)
