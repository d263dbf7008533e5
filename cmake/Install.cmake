# What `cmake --install` puts in place: both programs in bin/, the help file
# and its pictures in share/tessarin/, the icons, the desktop entry, the
# AppStream metainfo, the manual pages and the shell completions.
#
# An installed program finds its own files in PREFIX/share/tessarin/ (beside
# PREFIX/bin/, platform::installedDataDir); one run from its build folder
# finds them beside itself.
include(GNUInstallDirs)
set(TESSARIN_DATA_DIR "${CMAKE_INSTALL_DATADIR}/tessarin")
# Folders made by the install are 0755 whatever the umask, as a package wants.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)

if(TARGET tessarin)
  install(TARGETS tessarin RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
  install(FILES ${TESSARIN_HELP_FILE} ${TESSARIN_HELP_PICTURES} DESTINATION "${TESSARIN_DATA_DIR}")

  foreach(size 16 32 48 64 72 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/resources/tessarin-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME tessarin.png)
  endforeach()
  install(FILES "${PROJECT_SOURCE_DIR}/resources/tessarin.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

  set(TESSARIN_LAUNCHER "${CMAKE_INSTALL_FULL_BINDIR}/tessarin")
  configure_file("${PROJECT_SOURCE_DIR}/resources/tessarin.desktop.in" "${CMAKE_BINARY_DIR}/tessarin.desktop" @ONLY)
  install(FILES "${CMAKE_BINARY_DIR}/tessarin.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
  install(FILES "${PROJECT_SOURCE_DIR}/packaging/io.github.tessarin.Tessarin.metainfo.xml"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
endif()

if(TARGET tessarin-cli)
  install(TARGETS tessarin-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

# Manual pages, compressed as Debian wants them (-n: no name or time in the
# header, so a rebuild gives the same bytes). Every page in a language's
# folder is taken, so a page added there needs no rule of its own.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(manual_pages)
foreach(language en zh_CN)
  if(language STREQUAL "en")
    set(destination "${CMAKE_INSTALL_MANDIR}/man1")
  else()
    set(destination "${CMAKE_INSTALL_MANDIR}/${language}/man1")
  endif()
  file(GLOB pages CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/packaging/man/${language}/*.1")
  foreach(page IN LISTS pages)
    get_filename_component(name "${page}" NAME)
    set(copy "${CMAKE_BINARY_DIR}/man/${language}/${name}")
    set(compressed "${copy}.gz")
    add_custom_command(OUTPUT "${compressed}"
                       COMMAND ${CMAKE_COMMAND} -E copy "${page}" "${copy}"
                       COMMAND ${GZIP_PROGRAM} -9nf "${copy}"
                       DEPENDS "${page}" VERBATIM)
    list(APPEND manual_pages "${compressed}")
    install(FILES "${compressed}" DESTINATION "${destination}")
  endforeach()
endforeach()
add_custom_target(manual_pages ALL DEPENDS ${manual_pages})

file(GLOB completions CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/packaging/bash-completion/*")
install(FILES ${completions} DESTINATION "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")

if(TESSARIN_TESTS AND TARGET tessarin)
  add_test(NAME install_layout
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DSCRATCH=${CMAKE_BINARY_DIR}/install-check
                   -DPREFIX=${CMAKE_INSTALL_PREFIX} -DBINDIR=${CMAKE_INSTALL_BINDIR} -DDATA_DIR=${TESSARIN_DATA_DIR}
                   -DDATADIR=${CMAKE_INSTALL_DATADIR} -DMANDIR=${CMAKE_INSTALL_MANDIR}
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckInstall.cmake)
endif()
