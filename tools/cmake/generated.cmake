# Writes what the build generates from the project's own files into
# TARVENDEL_GENERATED, where the code and the .rc find it through the include
# path:
# - Version.h: the version of project() in CMakeLists.txt (resources/Version.h.in);
# - Tarvendel.manifest: resources/Tarvendel.manifest.in with that version;
# - InitialSettings.h: installer/Tarvendel.ini, the settings file the setup
#   and the zips install, for the tests and the benchmark that lay out a
#   program folder as they leave it.
# CMakeLists.txt includes it after project(); tools/lint runs it on its own:
#   cmake -DPROJECT_VERSION=X.Y.Z -DTARVENDEL_GENERATED=DIR -P tools/cmake/generated.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.21)
endif()
get_filename_component(_root "${CMAKE_CURRENT_LIST_DIR}/../.." ABSOLUTE)

if(NOT PROJECT_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "the version '${PROJECT_VERSION}' is not MAJOR.MINOR.PATCH")
endif()
set(PROJECT_VERSION_MAJOR ${CMAKE_MATCH_1})
set(PROJECT_VERSION_MINOR ${CMAKE_MATCH_2})
set(PROJECT_VERSION_PATCH ${CMAKE_MATCH_3})
configure_file(${_root}/resources/Version.h.in ${TARVENDEL_GENERATED}/Version.h @ONLY)
configure_file(${_root}/resources/Tarvendel.manifest.in ${TARVENDEL_GENERATED}/Tarvendel.manifest @ONLY)

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
  # A change to the settings file configures again.
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_initial})
endif()
