# tessarin_library(NAME SOURCES...): the static library of one folder. Every
# include is written from the top of the tree ("sync/Operation.h").
function(tessarin_library name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# tessarin_qt_library(NAME SOURCES...): the same for a folder of windows;
# headers are listed with the sources so that AUTOMOC sees the Q_OBJECT classes.
function(tessarin_qt_library name)
  tessarin_library(${name} ${ARGN})
  set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
  target_link_libraries(${name} PUBLIC Qt6::Widgets)
endfunction()
