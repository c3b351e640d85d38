# Writes what the build generates from the project's own files into
# TARVENDEL_GENERATED, where the code and the .rc find it through the include
# path:
# - Version.h and Tarvendel.manifest: resources/Version.h.in and
#   resources/Tarvendel.manifest.in with the forms of project()'s version in
#   CMakeLists.txt filled in by tools/version, which every tool asks too;
# - InitialSettings.h: installer/Tarvendel.ini, the settings file the setup
#   and the zips install, for the tests and the benchmark that lay out a
#   program folder as they leave it.
# CMakeLists.txt includes it after project(); tools/lint runs it on its own:
#   cmake -DTARVENDEL_GENERATED=DIR -P tools/cmake/generated.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.21)
endif()
get_filename_component(_root "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)

find_package(Python3 COMPONENTS Interpreter REQUIRED)
foreach(_template Version.h Tarvendel.manifest)
  execute_process(COMMAND ${Python3_EXECUTABLE} ${_root}/tools/version --fill
                          ${_root}/resources/${_template}.in ${TARVENDEL_GENERATED}/${_template}
                  RESULT_VARIABLE _failed)
  if(_failed)
    message(FATAL_ERROR "tools/version could not fill in resources/${_template}.in")
  endif()
endforeach()

set(_initial ${_root}/installer/Tarvendel.ini)
file(READ ${_initial} TARVENDEL_INITIAL_SETTINGS)
file(CONFIGURE OUTPUT ${TARVENDEL_GENERATED}/InitialSettings.h @ONLY CONTENT [[
// installer/Tarvendel.ini, the settings file the setup and the zips install,
// as the build found it (tools/cmake/generated.cmake writes this file).
#pragma once

#include <string>

inline std::string InitialSettings() { return R"ini(@TARVENDEL_INITIAL_SETTINGS@)ini"; }
]])
if(NOT CMAKE_SCRIPT_MODE_FILE)
  # A change to the settings file, a template or the helper configures again.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_initial} ${_root}/tools/version
               ${_root}/resources/Version.h.in ${_root}/resources/Tarvendel.manifest.in)
endif()
