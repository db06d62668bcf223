# Refuses an include that runs upward between the program's layers, in the sources and in the
# tests.
#
#   cmake -DSOURCE_DIR=<src> -DTESTS_DIR=<tests> -DLAYER_LIST=<file>
#         -DQT_WIDGETS_DIRS=<dirs> -DQT_GUI_DIRS=<dirs> -P CheckLayers.cmake
#
# LAYER_LIST sets LAYER_FILES_<layer> to the sources of each layer's library, as
# src/CMakeLists.txt lists them. The first folder under src/ names the layer; inside the
# domain and the windows the second folder names the feature, and a feature includes only
# features ranked below it. A test belongs to the layer and feature of its folder under
# tests/ (tests/domain/engine is the engine's) and may include what its layer may include;
# the features' ranks bind the sources, while a test of one feature may build its data with
# another of its layer. Below the render layer nothing includes a QtGui header, below the windows
# nothing a QtWidgets or QtPrintSupport header, with or without the module's prefix
# (<QtWidgets/QWidget> and <QWidget> alike).

cmake_policy(SET CMP0057 NEW)
cmake_policy(SET CMP0012 NEW)
set(layers database suite domain startup render windows command program support)
set(rank_database 0)
set(rank_suite 1)
set(rank_domain 2)
set(rank_startup 3)
set(rank_support 3) # the tests' shared fixtures: databases, processes, the demo
set(rank_render 4)
set(rank_windows 5)
set(rank_command 5)
set(rank_program 6)

# Features of the domain, lowest first: the engine reads the counters; the credits, the
# pro-rata, the other operations and the declarations work on its figures; the communication
# on the declarations; the settlement document brings them together; printing, the batch,
# the year view and the demo use the document.
set(feature_rank_engine 0)
set(feature_rank_credits 1)
set(feature_rank_prorata 1)
set(feature_rank_otherops 1)
set(feature_rank_declarations 1)
set(feature_rank_communication 2)
set(feature_rank_document 3)
set(feature_rank_printing 4)
set(feature_rank_batch 4)
set(feature_rank_overview 4)
set(feature_rank_demo 0) # rows of the suite's tables, written through the database alone
set(feature_rank_companies 4)
set(feature_rank_invoices 4)
# Windows: the shared pieces, one folder per feature's windows, the settlement window that
# opens them, the main window on top.
set(feature_rank_common 0)
set(window_rank_common 0)
set(window_rank_credits 1)
set(window_rank_prorata 1)
set(window_rank_otherops 1)
set(window_rank_declarations 1)
set(window_rank_communication 1)
set(window_rank_overview 1)
set(window_rank_printing 1)
set(window_rank_companies 1)
set(window_rank_invoices 1)
set(window_rank_document 2)
set(window_rank_shell 3)

# The layer and feature of a path under src/ (or of a test under tests/ when TEST is set).
function(place_of path is_test out_layer out_feature)
  set(layer "")
  set(feature "")
  string(REPLACE "/" ";" parts "${path}")
  list(LENGTH parts count)
  list(GET parts 0 top)
  if(count GREATER 2)
    list(GET parts 1 second)
  else()
    set(second "")
  endif()
  if(top STREQUAL "database" OR top STREQUAL "suite" OR top STREQUAL "startup" OR top STREQUAL "render")
    set(layer ${top})
  elseif(top STREQUAL "domain")
    set(layer domain)
    set(feature ${second})
  elseif(top STREQUAL "gui")
    set(layer windows)
    set(feature ${second})
  elseif(top STREQUAL "cli")
    set(layer command)
  elseif(top STREQUAL "main")
    set(layer program)
  elseif(is_test AND top STREQUAL "support")
    set(layer support)
  endif()
  set(${out_layer} "${layer}" PARENT_SCOPE)
  set(${out_feature} "${feature}" PARENT_SCOPE)
endfunction()

# Header names of the Qt modules that must not be seen below their layer (folders given
# separated by "|").
string(REPLACE "|" ";" QT_WIDGETS_DIRS "${QT_WIDGETS_DIRS}")
string(REPLACE "|" ";" QT_GUI_DIRS "${QT_GUI_DIRS}")
set(widget_headers "")
foreach(dir ${QT_WIDGETS_DIRS})
  file(GLOB names RELATIVE ${dir} ${dir}/Q*)
  list(APPEND widget_headers ${names})
endforeach()
set(gui_headers "")
foreach(dir ${QT_GUI_DIRS})
  file(GLOB names RELATIVE ${dir} ${dir}/Q*)
  list(APPEND gui_headers ${names})
endforeach()

set(faults "")
# One file's includes against its place.
macro(check_file label text_path own own_feature is_test)
  file(STRINGS ${text_path} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line ${includes})
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[\"<]([^\">]*)[\">].*" "\\1" target "${line}")
    if(NOT line MATCHES "\"")
      string(REGEX REPLACE "^(QtWidgets|QtGui|QtPrintSupport)/" "" bare "${target}")
      set(module "")
      if(target MATCHES "^(QtWidgets|QtPrintSupport)/" OR bare IN_LIST widget_headers)
        set(module windows)
      elseif(target MATCHES "^QtGui/" OR bare IN_LIST gui_headers)
        set(module render)
      endif()
      if(module AND rank_${own} LESS rank_${module} AND NOT own STREQUAL "support")
        string(APPEND faults "  ${label}: includes <${target}>, a ${module} header below the ${module} layer\n")
      endif()
      continue()
    endif()
    if(EXISTS ${SOURCE_DIR}/${target})
      place_of(${target} FALSE theirs their_feature)
    elseif(${is_test} AND EXISTS ${TESTS_DIR}/${target})
      place_of(${target} TRUE theirs their_feature)
    else()
      continue()
    endif()
    if(theirs STREQUAL "")
      continue()
    endif()
    if(theirs STREQUAL own AND NOT ${is_test})
      if(own STREQUAL "domain" AND NOT their_feature STREQUAL own_feature)
        if(NOT feature_rank_${their_feature} LESS feature_rank_${own_feature})
          string(APPEND faults "  ${label}: includes \"${target}\": the domain's ${own_feature} may not include its ${their_feature}\n")
        endif()
      elseif(own STREQUAL "windows" AND NOT their_feature STREQUAL own_feature)
        if(NOT window_rank_${their_feature} LESS window_rank_${own_feature})
          string(APPEND faults "  ${label}: includes \"${target}\": the ${own_feature} windows may not include the ${their_feature} windows\n")
        endif()
      endif()
    elseif(theirs STREQUAL own OR theirs STREQUAL "support")
      # the tests' fixtures serve every test
    elseif(NOT rank_${theirs} LESS rank_${own})
      string(APPEND faults "  ${label}: includes \"${target}\": the ${own} layer may not include the ${theirs} layer\n")
    endif()
  endforeach()
endmacro()

include(${LAYER_LIST})
foreach(library_layer ${layers})
  foreach(file ${LAYER_FILES_${library_layer}})
    place_of(${file} FALSE own own_feature)
    if(NOT own STREQUAL library_layer)
      string(APPEND faults "  src/${file}: a file of the ${own} layer listed in the ${library_layer} library\n")
    endif()
    check_file(src/${file} ${SOURCE_DIR}/${file} ${own} "${own_feature}" FALSE)
  endforeach()
endforeach()

if(TESTS_DIR)
  file(GLOB_RECURSE test_files RELATIVE ${TESTS_DIR} ${TESTS_DIR}/*.cpp ${TESTS_DIR}/*.h)
  foreach(file ${test_files})
    place_of(${file} TRUE own own_feature)
    if(own STREQUAL "")
      continue() # the stand-in module of the suite, a program of its own
    endif()
    check_file(tests/${file} ${TESTS_DIR}/${file} ${own} "${own_feature}" TRUE)
  endforeach()
endif()

if(faults)
  message(FATAL_ERROR "Includes that run upward between the layers (database < suite < domain < "
                      "start-up < render < windows, command < program; features by rank):\n${faults}")
endif()
