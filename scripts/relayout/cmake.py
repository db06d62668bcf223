#!/usr/bin/env python3
"""After relayout.py: the render layer, the layer check over the tests, the tests' CMake."""
import re, shutil, os
p = 'src/CMakeLists.txt'
s = open(p).read()
head_end = s.index('set(DATABASE_SOURCES')
s = '''# The program is built in layers, each a library with its own source list that links only
# the layers below it; the folders under src/ are the layers:
#
#   liqiva_database   database/        connection, bound statements, dialect    QtCore, QtSql
#   liqiva_suite      suite/           the host suite's components, rights/     + the database
#   liqiva_domain     domain/<feature> the settlement's features, ranked        + the suite
#   liqiva_startup    startup/         work context, hand-over, start-up        + the domain
#   liqiva_render     render/          pages, PDF and exports on QtGui          + the start-up
#   liqiva_windows    gui/<feature>    the main window and the features' windows + QtWidgets
#   liqiva            cli/             the command, on the render layer (no widgets)
#   liquidazione-iva  main/            the windows program
#
# Inside the domain a feature includes only features ranked below it (cmake/CheckLayers.cmake
# holds the rank, the README's layout states it). The layer check below refuses an include
# that runs upward, in src/ and in tests/; a new file is added to the list of its layer.

''' + s[head_end:]
# the render layer's list, out of the windows' list
render = [l for l in s.splitlines() if l.strip().startswith('render/')]
for l in render:
    s = s.replace(l + '\n', '')
s = s.replace('set(WINDOWS_SOURCES', 'set(RENDER_SOURCES\n' + '\n'.join(render) + ')\n\nset(WINDOWS_SOURCES', 1)
s = s.replace('foreach(layer DATABASE SUITE DOMAIN STARTUP WINDOWS COMMAND PROGRAM)',
              'foreach(layer DATABASE SUITE DOMAIN STARTUP RENDER WINDOWS COMMAND PROGRAM)')
s = s.replace('''  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR} -DLAYER_LIST=${LAYER_LIST}
''', '''  COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR} -DLAYER_LIST=${LAYER_LIST}
          -DTESTS_DIR=${PROJECT_SOURCE_DIR}/tests
          "-DQT_WIDGETS_DIRS=${qt_widgets_dirs}" "-DQT_GUI_DIRS=${qt_gui_dirs}"
''')
s = s.replace('''  DEPENDS ${all_layer_sources} ${LAYER_LIST}''', '''  DEPENDS ${all_layer_sources} ${all_test_sources} ${LAYER_LIST}''')
s = s.replace('''set(LAYER_STAMP''', '''file(GLOB_RECURSE all_test_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*.cpp
     ${PROJECT_SOURCE_DIR}/tests/*.h)
# The header folders of the Qt modules that the lower layers must not include.
set(qt_widgets_dirs "")
foreach(module Widgets PrintSupport)
  get_target_property(dirs Qt6::${module} INTERFACE_INCLUDE_DIRECTORIES)
  foreach(dir ${dirs})
    if(dir MATCHES "Qt${module}$")
      list(APPEND qt_widgets_dirs ${dir})
    endif()
  endforeach()
endforeach()
get_target_property(dirs Qt6::Gui INTERFACE_INCLUDE_DIRECTORIES)
set(qt_gui_dirs "")
foreach(dir ${dirs})
  if(dir MATCHES "QtGui$")
    list(APPEND qt_gui_dirs ${dir})
  endif()
endforeach()
string(REPLACE ";" "|" qt_widgets_dirs "${qt_widgets_dirs}")
string(REPLACE ";" "|" qt_gui_dirs "${qt_gui_dirs}")

set(LAYER_STAMP''')
s = s.replace('''add_library(liqiva_windows STATIC ${WINDOWS_SOURCES})
target_link_libraries(liqiva_windows PUBLIC liqiva_startup Qt6::Widgets Qt6::PrintSupport)
# Spreadsheets through the operating system's libxlsxwriter.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
target_link_libraries(liqiva_windows PRIVATE PkgConfig::XLSXWRITER)''', '''add_library(liqiva_render STATIC ${RENDER_SOURCES})
target_link_libraries(liqiva_render PUBLIC liqiva_startup Qt6::Gui)
# Spreadsheets through the operating system's libxlsxwriter.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
target_link_libraries(liqiva_render PRIVATE PkgConfig::XLSXWRITER)

add_library(liqiva_windows STATIC ${WINDOWS_SOURCES})
target_link_libraries(liqiva_windows PUBLIC liqiva_render Qt6::Widgets Qt6::PrintSupport)''')
s = s.replace('foreach(lib liqiva_database liqiva_suite liqiva_domain liqiva_startup liqiva_windows)',
              'foreach(lib liqiva_database liqiva_suite liqiva_domain liqiva_startup liqiva_render liqiva_windows)')
s = s.replace('target_link_libraries(liqiva PRIVATE liqiva_windows)', 'target_link_libraries(liqiva PRIVATE liqiva_render)')
open(p, 'w').write(s)
c = open('CMakeLists.txt').read()
c = c.replace('find_package(Qt6 REQUIRED COMPONENTS Core Sql Widgets PrintSupport)', 'find_package(Qt6 REQUIRED COMPONENTS Core Sql Gui Widgets PrintSupport)')
open('CMakeLists.txt', 'w').write(c)
shutil.copy('scripts/relayout/CheckLayers.cmake', 'cmake/CheckLayers.cmake')
shutil.copy('scripts/relayout/tests-CMakeLists.txt', 'tests/CMakeLists.txt')
