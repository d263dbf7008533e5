# Installs the build into a scratch DESTDIR and checks that the program, its
# help file, the icon and the desktop entry land where the desktop finds them.
# Run as: cmake -DBUILD_DIR=... -DSCRATCH=... -DPREFIX=... -DBINDIR=... -DPROGRAM_DIR=... -DDATADIR=... -P CheckInstall.cmake
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND ${CMAKE_COMMAND} -E env "DESTDIR=${SCRATCH}" ${CMAKE_COMMAND} --install "${BUILD_DIR}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(root "${SCRATCH}${PREFIX}")
function(expect_file path)
  if(NOT EXISTS "${root}/${path}")
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endfunction()

expect_file("${PROGRAM_DIR}/tessarin")
expect_file("${PROGRAM_DIR}/软件帮助.html")
expect_file("${DATADIR}/icons/hicolor/48x48/apps/tessarin.png")
expect_file("${DATADIR}/icons/hicolor/scalable/apps/tessarin.svg")
expect_file("${DATADIR}/applications/tessarin.desktop")

# The link in bin/ leads to the program in its own folder, where the help file is.
if(NOT IS_SYMLINK "${root}/${BINDIR}/tessarin")
  message(FATAL_ERROR "${BINDIR}/tessarin is not a link to the program")
endif()
file(REAL_PATH "${root}/${BINDIR}/tessarin" resolved)
file(REAL_PATH "${root}/${PROGRAM_DIR}/tessarin" program)
if(NOT resolved STREQUAL program)
  message(FATAL_ERROR "${BINDIR}/tessarin leads to ${resolved}, not to ${program}")
endif()

# Every picture the help file shows is installed beside it.
file(READ "${root}/${PROGRAM_DIR}/软件帮助.html" help_text)
string(REGEX MATCHALL "src=\"[^\"]+\"" sources "${help_text}")
foreach(source IN LISTS sources)
  string(REGEX REPLACE "src=\"([^\"]+)\"" "\\1" picture "${source}")
  expect_file("${PROGRAM_DIR}/${picture}")
endforeach()

file(READ "${root}/${DATADIR}/applications/tessarin.desktop" entry)
foreach(line "Name=Tessarin" "Name[zh_CN]=" "Icon=tessarin" "Exec=${PREFIX}/${BINDIR}/tessarin" "Categories=Utility;")
  string(FIND "${entry}" "\n${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "desktop entry lacks ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
