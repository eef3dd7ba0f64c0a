# Installs the build into a fresh prefix and checks the Linux layout: the
# programs in bin and nothing else there, the licences, copyright and change
# log in the documentation folder, the report's font in the data folder,
# menu entry, icons, file type and manual pages in their places. Run by CTest with BUILD_DIR and PREFIX set.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(doc share/doc/quorvel-archive-viewer)
set(expected
  bin/quorvel-archive-viewer
  bin/quorvel-archive
  bin/quorvel-panel-sim
  ${doc}/License.txt
  ${doc}/LGPL.txt
  ${doc}/copyright
  ${doc}/changelog.gz
  share/quorvel-archive-viewer/fonts/DejaVuSans.ttf
  share/quorvel-archive-viewer/fonts/DejaVuSans-Bold.ttf
  share/applications/quorvel-archive-viewer.desktop
  share/mime/packages/quorvel-archive-viewer.xml
  share/icons/hicolor/16x16/apps/quorvel-archive-viewer.png
  share/icons/hicolor/scalable/apps/quorvel-archive-viewer.svg
  share/man/man1/quorvel-archive-viewer.1.gz
  share/man/man1/quorvel-archive.1.gz
  share/man/man1/quorvel-panel-sim.1.gz)
foreach(path ${expected})
  if(NOT EXISTS ${PREFIX}/${path})
    message(SEND_ERROR "missing from the installed tree: ${path}")
  endif()
endforeach()

file(GLOB in_bin RELATIVE ${PREFIX} ${PREFIX}/bin/*)
list(SORT in_bin)
set(programs bin/quorvel-archive bin/quorvel-archive-viewer bin/quorvel-panel-sim)
if(NOT in_bin STREQUAL programs)
  message(SEND_ERROR "bin holds more than the programs: ${in_bin}")
endif()

file(GLOB_RECURSE translations ${PREFIX}/*.qm)
if(translations)
  message(SEND_ERROR "Qt translations are installed: ${translations}")
endif()

# The copyright file carries the licence text as a continued field.
file(READ ${PREFIX}/${doc}/copyright copyright)
if(NOT copyright MATCHES "License: Quorvel-Viewer\n [^\n]+\n")
  message(SEND_ERROR "copyright lacks the licence text")
endif()
if(NOT copyright MATCHES "License: bitstream-vera\n [^\n]+\n")
  message(SEND_ERROR "copyright lacks the licence text of the report's font")
endif()
file(STRINGS ${PREFIX}/share/applications/quorvel-archive-viewer.desktop exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=quorvel-archive-viewer %f")
  message(SEND_ERROR "unexpected menu entry command: ${exec}")
endif()

# The installed reader finds the report's font in the data folder: with a
# font configuration that knows no font, its report still has its texts.
find_program(PDFTOTEXT pdftotext)
if(PDFTOTEXT)
  set(fonts_conf ${PREFIX}/no-fonts.conf)
  file(WRITE ${fonts_conf} "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>${PREFIX}/fc-cache</cachedir></fontconfig>\n")
  set(ENV{FONTCONFIG_FILE} ${fonts_conf})
  set(ENV{QT_QPA_PLATFORM} offscreen)
  execute_process(COMMAND ${PREFIX}/bin/quorvel-archive --simulate --format pdf --output ${PREFIX}/report.pdf
                  RESULT_VARIABLE result OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND ${PDFTOTEXT} ${PREFIX}/report.pdf - OUTPUT_VARIABLE report_text ERROR_QUIET)
  if(NOT result EQUAL 0 OR NOT report_text MATCHES "Отчёт о событиях прибора")
    message(SEND_ERROR "the installed reader's report has no text without the system's fonts (exit ${result})")
  endif()
endif()
