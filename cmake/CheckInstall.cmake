# Installs the build into a scratch DESTDIR and checks that the programs, the
# help file, the icon, the desktop entry, the metainfo and the manual pages
# land where the program, the desktop and man find them.
# Run as: cmake -DBUILD_DIR=... -DSCRATCH=... -DPREFIX=... -DBINDIR=... -DDATA_DIR=... -DDATADIR=... -DMANDIR=...
#         -P CheckInstall.cmake
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

expect_file("${BINDIR}/tessarin")
expect_file("${BINDIR}/tessarin-cli")
expect_file("${DATA_DIR}/软件帮助.html")
expect_file("${DATADIR}/metainfo/io.github.tessarin.Tessarin.metainfo.xml")
expect_file("${MANDIR}/man1/tessarin.1.gz")
expect_file("${MANDIR}/zh_CN/man1/tessarin.1.gz")
expect_file("${DATADIR}/icons/hicolor/48x48/apps/tessarin.png")
expect_file("${DATADIR}/icons/hicolor/scalable/apps/tessarin.svg")
expect_file("${DATADIR}/applications/tessarin.desktop")

# Every picture the help file shows is installed beside it.
file(READ "${root}/${DATA_DIR}/软件帮助.html" help_text)
string(REGEX MATCHALL "src=\"[^\"]+\"" sources "${help_text}")
foreach(source IN LISTS sources)
  string(REGEX REPLACE "src=\"([^\"]+)\"" "\\1" picture "${source}")
  expect_file("${DATA_DIR}/${picture}")
endforeach()

file(READ "${root}/${DATADIR}/applications/tessarin.desktop" entry)
foreach(line "Name=Tessarin" "Name[zh_CN]=" "Icon=tessarin" "Exec=${PREFIX}/${BINDIR}/tessarin" "Categories=Utility;")
  string(FIND "${entry}" "\n${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "desktop entry lacks ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
