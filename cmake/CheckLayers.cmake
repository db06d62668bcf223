# Refuses an include that runs upward between the program's layers.
#
#   cmake -DSOURCE_DIR=<src> -DLAYER_LIST=<file> -P CheckLayers.cmake
#
# LAYER_LIST sets LAYER_FILES_<layer> to the sources of each layer's library, as
# src/CMakeLists.txt lists them. A folder belongs to a layer (the table below); a file may
# include files of its own layer and of the layers below; the command and the program's main sit
# on top. Below the windows no file includes a QtWidgets, QtGui or QtPrintSupport header.

# folder under src/ -> layer; the longest folder that matches wins, and every ui/ folder
# belongs to the windows.
set(folders
  startup/database database
  startup/rights suite
  suite suite
  engine domain
  credits domain
  prorata domain
  otherops domain
  declarations domain
  document domain
  demo domain
  startup startup
  shell windows
  printing domain
  communication domain
  overview domain
  batch domain
  companies domain
  cli command
  main program)
set(layers database suite domain startup windows command program)
set(rank_database 0)
set(rank_suite 1)
set(rank_domain 2)
set(rank_startup 3)
set(rank_windows 4)
set(rank_command 5)
set(rank_program 5)

# The layer of a path under src/ ("" when no folder of the table holds it).
function(layer_of path out)
  if(path MATCHES "(^|/)ui/")
    set(${out} windows PARENT_SCOPE)
    return()
  endif()
  set(best "")
  set(best_length 0)
  set(pairs ${folders})
  while(pairs)
    list(POP_FRONT pairs folder layer)
    string(LENGTH "${folder}" length)
    if(path MATCHES "^${folder}/" AND length GREATER best_length)
      set(best ${layer})
      set(best_length ${length})
    endif()
  endwhile()
  set(${out} "${best}" PARENT_SCOPE)
endfunction()

include(${LAYER_LIST})
set(faults "")
foreach(library_layer ${layers})
  foreach(file ${LAYER_FILES_${library_layer}})
    layer_of(${file} own)
    if(NOT own STREQUAL library_layer)
      string(APPEND faults "  src/${file}: a file of the ${own} layer listed in the ${library_layer} library\n")
    endif()
    file(STRINGS ${SOURCE_DIR}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(line ${includes})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" target "${line}")
      if(line MATCHES "<(QtWidgets|QtGui|QtPrintSupport)/" AND rank_${own} LESS rank_windows)
        string(APPEND faults "  src/${file}: includes <${target}>, a windows header below the windows\n")
        continue()
      endif()
      if(NOT line MATCHES "\"")
        continue()
      endif()
      layer_of(${target} theirs)
      if(theirs STREQUAL "" OR theirs STREQUAL own)
        continue()
      endif()
      if(NOT rank_${theirs} LESS rank_${own})
        string(APPEND faults
          "  src/${file}: includes \"${target}\": the ${own} layer may not include the ${theirs} layer\n")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  message(FATAL_ERROR "Includes that run upward between the layers (database < suite < domain < "
                      "start-up < windows < command, program):\n${faults}")
endif()
