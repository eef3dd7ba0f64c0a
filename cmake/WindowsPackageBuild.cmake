# Run by the target windows_package (cmake -P): lays the program out in a
# folder of its own, zips that folder and makes the installer from it.
#   BUILD_DIR, DIST_DIR, PACKAGE_NAME, VERSION, CAPTION, MAKENSIS, NSIS_SCRIPT, STRIP
cmake_minimum_required(VERSION 3.16)
set(stage ${DIST_DIR}/stage)
set(folder ${stage}/${PACKAGE_NAME})
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${DIST_DIR})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR}
                        --component windows_package --prefix ${folder}
                OUTPUT_QUIET RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Laying out ${folder} failed")
endif()

# Without their debug information (the compiler's run-time DLLs come with
# it): a third of the size.
file(GLOB_RECURSE binaries ${folder}/*.exe ${folder}/*.dll)
execute_process(COMMAND ${STRIP} --strip-debug ${binaries} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Stripping the programs failed")
endif()

set(zip ${DIST_DIR}/${PACKAGE_NAME}.zip)
file(REMOVE ${zip})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip ${PACKAGE_NAME}
                WORKING_DIRECTORY ${stage} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "Zipping ${folder} failed")
endif()

if(NOT MAKENSIS)
  message(FATAL_ERROR "makensis (Debian package nsis) is missing, so the installer cannot be made")
endif()
# The installer installs and removes exactly the laid-out files, so that
# uninstalling never deletes what someone else put into the folder.
file(GLOB_RECURSE files RELATIVE ${folder} ${folder}/*)
list(SORT files)
set(install_lines "")
set(uninstall_lines "")
set(dirs "")
foreach(file IN LISTS files)
  get_filename_component(dir "${file}" DIRECTORY)
  string(REPLACE "/" "\\" win_file "${file}")
  string(REPLACE "/" "\\" win_dir "${dir}")
  if(dir)
    string(APPEND install_lines "SetOutPath \"$INSTDIR\\${win_dir}\"\n")
  else()
    string(APPEND install_lines "SetOutPath \"$INSTDIR\"\n")
  endif()
  string(APPEND install_lines "File \"${folder}/${file}\"\n")
  string(APPEND uninstall_lines "Delete \"$INSTDIR\\${win_file}\"\n")
  if(dir AND NOT dir IN_LIST dirs)
    list(APPEND dirs ${dir})
  endif()
endforeach()
foreach(dir IN LISTS dirs)
  string(REPLACE "/" "\\" win_dir "${dir}")
  string(APPEND uninstall_lines "RMDir \"$INSTDIR\\${win_dir}\"\n")
endforeach()
set(size_kb 0)
foreach(file IN LISTS files)
  file(SIZE ${folder}/${file} size)
  math(EXPR size_kb "${size_kb} + (${size} + 1023) / 1024")
endforeach()

set(generated ${stage}/installer)
file(MAKE_DIRECTORY ${generated})
file(WRITE ${generated}/package.nsh
  "!define VERSION \"${VERSION}\"\n"
  "!define CAPTION \"${CAPTION}\"\n"
  "!define SIZE_KB ${size_kb}\n"
  "!define OUTFILE \"${DIST_DIR}/${PACKAGE_NAME}-setup.exe\"\n")
file(WRITE ${generated}/install-files.nsh "${install_lines}")
file(WRITE ${generated}/uninstall-files.nsh "${uninstall_lines}")

# makensis reads a -X option as a script line: a folder with a space must be
# quoted inside it.
execute_process(COMMAND ${MAKENSIS} -V2 -INPUTCHARSET UTF8 -NOCD
                        "-X!addincludedir \"${generated}\"" ${NSIS_SCRIPT}
                WORKING_DIRECTORY ${generated} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "makensis failed")
endif()
message(STATUS "Made ${zip} and ${DIST_DIR}/${PACKAGE_NAME}-setup.exe")
