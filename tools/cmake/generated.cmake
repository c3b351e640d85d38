# Writes what the build generates from the project's own files into
# TARVENDEL_GENERATED, where the code and the .rc find it through the include
# path:
# - Version.h: the version of project() in CMakeLists.txt (resources/Version.h.in);
# - Tarvendel.manifest: resources/Tarvendel.manifest.in with that version.
# CMakeLists.txt includes it after project(); tools/lint runs it on its own:
#   cmake -DPROJECT_VERSION=1.2.0 -DTARVENDEL_GENERATED=DIR -P tools/cmake/generated.cmake
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

