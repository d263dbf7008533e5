# The help file and the pictures it shows, copied beside the built program so
# that the help command works from the build tree as it does when installed.
set(TESSARIN_HELP_FILE "${PROJECT_SOURCE_DIR}/docs/软件帮助.html")
# Globbed again at each build, so a picture added later is copied too.
file(GLOB TESSARIN_HELP_PICTURES CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/docs/*.png")
set(TESSARIN_PROGRAM_BUILD_DIR "${CMAKE_BINARY_DIR}/app")

foreach(file IN LISTS TESSARIN_HELP_FILE TESSARIN_HELP_PICTURES)
  get_filename_component(name "${file}" NAME)
  configure_file("${file}" "${TESSARIN_PROGRAM_BUILD_DIR}/${name}" COPYONLY)
endforeach()

# Every picture that the help file names must be shipped with it.
file(READ "${TESSARIN_HELP_FILE}" help_text)
string(REGEX MATCHALL "src=\"[^\"]+\"" help_sources "${help_text}")
foreach(source IN LISTS help_sources)
  string(REGEX REPLACE "src=\"([^\"]+)\"" "\\1" picture "${source}")
  if(NOT EXISTS "${PROJECT_SOURCE_DIR}/docs/${picture}")
    message(WARNING "The help file shows docs/${picture}, which does not exist yet.")
  endif()
endforeach()
