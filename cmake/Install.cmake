# What `cmake --install` puts in place: the program with its help file beside
# it, the command-line tool, the program icon and a desktop entry.
#
# The program looks for its help file (and its settings) beside its own
# executable, so it lives in a folder of its own under lib/, with a link in
# bin/ for the PATH; /proc/self/exe resolves the link to the real folder.
include(GNUInstallDirs)
set(TESSARIN_PROGRAM_DIR "lib/tessarin" CACHE STRING "Folder, under the prefix, of the program and its help file")

if(TARGET tessarin)
  install(TARGETS tessarin RUNTIME DESTINATION "${TESSARIN_PROGRAM_DIR}")
  install(FILES ${TESSARIN_HELP_FILE} ${TESSARIN_HELP_PICTURES} DESTINATION "${TESSARIN_PROGRAM_DIR}")

  file(RELATIVE_PATH link_target "${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}"
       "${CMAKE_INSTALL_PREFIX}/${TESSARIN_PROGRAM_DIR}/tessarin")
  file(CREATE_LINK "${link_target}" "${CMAKE_BINARY_DIR}/tessarin-link" SYMBOLIC)
  install(FILES "${CMAKE_BINARY_DIR}/tessarin-link" DESTINATION "${CMAKE_INSTALL_BINDIR}" RENAME tessarin)

  foreach(size 16 32 48 64 72 128 256)
    install(FILES "${PROJECT_SOURCE_DIR}/resources/tessarin-${size}.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME tessarin.png)
  endforeach()
  install(FILES "${PROJECT_SOURCE_DIR}/resources/tessarin.svg"
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")

  set(TESSARIN_LAUNCHER "${CMAKE_INSTALL_FULL_BINDIR}/tessarin")
  configure_file("${PROJECT_SOURCE_DIR}/resources/tessarin.desktop.in" "${CMAKE_BINARY_DIR}/tessarin.desktop" @ONLY)
  install(FILES "${CMAKE_BINARY_DIR}/tessarin.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
endif()

if(TARGET tessarin-cli)
  install(TARGETS tessarin-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
endif()

if(TESSARIN_TESTS AND TARGET tessarin)
  add_test(NAME install_layout
           COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DSCRATCH=${CMAKE_BINARY_DIR}/install-check
                   -DPREFIX=${CMAKE_INSTALL_PREFIX} -DBINDIR=${CMAKE_INSTALL_BINDIR}
                   -DPROGRAM_DIR=${TESSARIN_PROGRAM_DIR} -DDATADIR=${CMAKE_INSTALL_DATADIR}
                   -P ${PROJECT_SOURCE_DIR}/cmake/CheckInstall.cmake)
endif()
