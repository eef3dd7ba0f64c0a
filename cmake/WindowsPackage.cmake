# The Windows program as Windows users get it, for the cross build with the
# Qt of scripts/build-qt-windows and the libpq of scripts/build-libpq-windows:
#   - the icon and the version information of both programs;
#   - the files Qt needs beside the programs (what windeployqt lays out),
#     installed as the component "windows_package";
#   - the target windows_package: build-win/dist/ gets the zip and the
#     installer made with makensis;
#   - the run-time beside the test programs, so that they run under wine.
include_guard(GLOBAL)

get_filename_component(quorvel_qt_prefix "${Qt5Core_DIR}/../../.." ABSOLUTE)
set(quorvel_package_name "quorvel-archive-viewer-${PROJECT_VERSION}-win64")

# The caption has one source, the program's own header.
file(STRINGS ${CMAKE_SOURCE_DIR}/LIBs/archive_table/src/archive_table/ProgramInfo.h
     quorvel_caption_line ENCODING UTF-8 REGEX "programCaption\\[\\] = ")
string(REGEX REPLACE ".*programCaption\\[\\] = \"([^\"]*)\".*" "\\1"
       QUORVEL_PROGRAM_CAPTION "${quorvel_caption_line}")
if(QUORVEL_PROGRAM_CAPTION STREQUAL "" OR QUORVEL_PROGRAM_CAPTION STREQUAL quorvel_caption_line)
  message(FATAL_ERROR "No program caption found in ProgramInfo.h")
endif()

# quorvel_windows_resource(<target> <description>): icon and version information.
function(quorvel_windows_resource target description)
  set(QUORVEL_WINDOWS_ICON ${CMAKE_SOURCE_DIR}/res/windows/appIcon.ico)
  set(QUORVEL_RC_NAME ${target})
  set(QUORVEL_RC_DESCRIPTION ${description})
  set(QUORVEL_RC_PRODUCT ${QUORVEL_PROGRAM_CAPTION})
  set(rc ${CMAKE_BINARY_DIR}/windows/${target}.rc)
  configure_file(${CMAKE_SOURCE_DIR}/res/windows/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(SOURCE ${rc} TARGET_DIRECTORY ${target} APPEND PROPERTY
               OBJECT_DEPENDS ${QUORVEL_WINDOWS_ICON})
endfunction()

quorvel_windows_resource(quorvel-archive-viewer "${QUORVEL_PROGRAM_CAPTION}")
quorvel_windows_resource(quorvel-archive "${QUORVEL_PROGRAM_CAPTION}: command-line reader")

# What the programs load at run time. The image formats the window uses (PNG)
# are built into Qt Gui, so no image-format plugin is needed.
set(quorvel_qt_dlls
  ${quorvel_qt_prefix}/bin/Qt5Core.dll
  ${quorvel_qt_prefix}/bin/Qt5Gui.dll
  ${quorvel_qt_prefix}/bin/Qt5PrintSupport.dll
  ${quorvel_qt_prefix}/bin/Qt5Sql.dll
  ${quorvel_qt_prefix}/bin/Qt5Widgets.dll)
# The site history's drivers: SQLite's, with SQLite built into it, and
# PostgreSQL's from scripts/build-libpq-windows, which needs libpq and the
# OpenSSL libpq is built with beside the program.
set(QUORVEL_WINDOWS_LIBPQ_PREFIX "" CACHE PATH "Prefix of libpq and Qt's QPSQL driver built for Windows")
if(NOT QUORVEL_WINDOWS_LIBPQ_PREFIX)
  message(FATAL_ERROR "QUORVEL_WINDOWS_LIBPQ_PREFIX is not set: it is the prefix that scripts/build-libpq-windows prints")
endif()
set(quorvel_sql_drivers
  ${quorvel_qt_prefix}/plugins/sqldrivers/qsqlite.dll
  ${QUORVEL_WINDOWS_LIBPQ_PREFIX}/plugins/sqldrivers/qsqlpsql.dll)
set(quorvel_libpq_dlls
  ${QUORVEL_WINDOWS_LIBPQ_PREFIX}/bin/libpq.dll
  ${QUORVEL_WINDOWS_LIBPQ_PREFIX}/bin/libssl-3-x64.dll
  ${QUORVEL_WINDOWS_LIBPQ_PREFIX}/bin/libcrypto-3-x64.dll)
set(quorvel_runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "The compiler's run-time ${dll} is not where ${CMAKE_CXX_COMPILER} says")
  endif()
  get_filename_component(path "${path}" REALPATH)
  list(APPEND quorvel_runtime_dlls ${path})
endforeach()
foreach(file IN LISTS quorvel_qt_dlls quorvel_sql_drivers quorvel_libpq_dlls)
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} is missing: are ${quorvel_qt_prefix} and ${QUORVEL_WINDOWS_LIBPQ_PREFIX} "
                        "the prefixes of scripts/build-qt-windows and scripts/build-libpq-windows?")
  endif()
endforeach()
# qt_ru.qm only names the catalogues it is made of; it loads when all of
# them are beside it.
set(quorvel_translations)
foreach(name qt_ru qtbase_ru qtscript_ru qtmultimedia_ru qtxmlpatterns_ru)
  list(APPEND quorvel_translations ${QUORVEL_QT_TRANSLATIONS_DIR}/${name}.qm)
endforeach()

set(component COMPONENT windows_package)
install(TARGETS quorvel-archive-viewer quorvel-archive RUNTIME DESTINATION . ${component})
install(FILES ${quorvel_qt_dlls} ${quorvel_libpq_dlls} ${quorvel_runtime_dlls} ${quorvel_translations}
              ${CMAKE_SOURCE_DIR}/res/License.txt
        DESTINATION . ${component})
install(FILES ${QUORVEL_LGPL_TEXT} DESTINATION . RENAME LGPL.txt ${component})
# The report's own font, which the programs look for in fonts/ beside them,
# so that a Windows without DejaVu still gets a report with text.
install(FILES ${QUORVEL_REPORT_FONTS} DESTINATION fonts ${component})
install(FILES ${CMAKE_SOURCE_DIR}/res/DejaVu-License.txt DESTINATION . ${component})
foreach(name OpenSSL PostgreSQL)
  install(FILES ${QUORVEL_WINDOWS_LIBPQ_PREFIX}/licenses/${name}.txt
          DESTINATION . RENAME ${name}-License.txt ${component})
endforeach()
# The offscreen platform is the reader's for its report, which needs fonts
# but no display.
install(FILES ${quorvel_qt_prefix}/plugins/platforms/qwindows.dll
              ${quorvel_qt_prefix}/plugins/platforms/qoffscreen.dll
        DESTINATION platforms ${component})
install(FILES ${quorvel_qt_prefix}/plugins/printsupport/windowsprintersupport.dll
        DESTINATION printsupport ${component})
install(FILES ${quorvel_qt_prefix}/plugins/styles/qwindowsvistastyle.dll DESTINATION styles ${component})
install(FILES ${quorvel_sql_drivers} DESTINATION sqldrivers ${component})

find_program(QUORVEL_MAKENSIS makensis)
add_custom_target(windows_package
  COMMAND ${CMAKE_COMMAND}
          -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DDIST_DIR=${CMAKE_BINARY_DIR}/dist
          -DPACKAGE_NAME=${quorvel_package_name}
          -DVERSION=${PROJECT_VERSION}
          -DCAPTION=${QUORVEL_PROGRAM_CAPTION}
          -DMAKENSIS=${QUORVEL_MAKENSIS}
          -DSTRIP=${CMAKE_STRIP}
          -DNSIS_SCRIPT=${CMAKE_SOURCE_DIR}/res/windows/installer.nsi
          -P ${CMAKE_SOURCE_DIR}/cmake/WindowsPackageBuild.cmake
  DEPENDS quorvel-archive-viewer quorvel-archive
  COMMENT "Packaging ${quorvel_package_name} (zip and installer)"
  VERBATIM)

# The test programs run in the build tree under wine: Qt's DLLs, libpq with
# OpenSSL, the compiler's run-time, both SQL drivers, the offscreen platform
# and, for it, fonts in lib/fonts.
# A qt.conf there makes the folder the tests' Qt prefix, so that Qt's
# translations folder holds Qt's Russian texts as an installed Qt's does.
if(QUORVEL_BUILD_TESTS)
  file(GLOB quorvel_test_fonts /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf)
  if(NOT quorvel_test_fonts)
    message(FATAL_ERROR "The DejaVu fonts (Debian package fonts-dejavu-core) are missing")
  endif()
  set(tests_dir ${CMAKE_BINARY_DIR}/tests)
  add_custom_target(windows_test_runtime ALL
    COMMAND ${CMAKE_COMMAND} -E make_directory ${tests_dir}/platforms ${tests_dir}/lib/fonts ${tests_dir}/sqldrivers
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${quorvel_qt_dlls}
            ${quorvel_qt_prefix}/bin/Qt5Test.dll ${quorvel_libpq_dlls} ${quorvel_runtime_dlls} ${tests_dir}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different
            ${quorvel_qt_prefix}/plugins/platforms/qoffscreen.dll ${tests_dir}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${quorvel_sql_drivers} ${tests_dir}/sqldrivers
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${quorvel_test_fonts} ${tests_dir}/lib/fonts
    COMMAND ${CMAKE_COMMAND} -E make_directory ${tests_dir}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${quorvel_translations} ${tests_dir}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/cmake/windows-tests-qt.conf
            ${tests_dir}/qt.conf
    VERBATIM)
endif()
