# Fails when a file of src/ includes a layer above its own (or a sibling), or
# when a source file of src/ is in none of the lists of korvane_sources.cmake.
# Run by the korvane_layering target, on which every layer's library depends:
#
#   cmake -P cmake/check-layers.cmake
#
# The layers and what each may include are in korvane_sources.cmake. An
# include is "folder/file.h" from src/, or a bare "file.h" beside the file;
# one that climbs out with ".." is refused too.
cmake_minimum_required(VERSION 3.25)
include("${CMAKE_CURRENT_LIST_DIR}/korvane_sources.cmake")
get_filename_component(_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)

set(_errors)
foreach(_layer IN LISTS korvane_layers)
  file(GLOB _files LIST_DIRECTORIES false RELATIVE "${_root}"
       "${_root}/src/${_layer}/*.h" "${_root}/src/${_layer}/*.cpp"
       "${_root}/src/${_layer}/*.rc" "${_root}/src/${_layer}/*.in")
  korvane_sources(_listed ${_layer} platform_free windows)
  foreach(_file IN LISTS _files)
    if(_file MATCHES "\\.cpp$" AND NOT _file STREQUAL "src/app/main.cpp"
       AND NOT "${_root}/${_file}" IN_LIST _listed)
      list(APPEND _errors "${_file}: in no list of cmake/korvane_sources.cmake")
    endif()
    file(STRINGS "${_root}/${_file}" _includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
    foreach(_line IN LISTS _includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*([\"<])([^\">]*)[\">].*$" "\\1\\2" _include "${_line}")
      string(SUBSTRING "${_include}" 0 1 _quote)
      string(SUBSTRING "${_include}" 1 -1 _path)
      if(_path MATCHES "(^|/)\\.\\.(/|$)")
        list(APPEND _errors "${_file}: includes ${_path}, which leaves its folder")
        continue()
      endif()
      if(NOT _path MATCHES "/")
        continue()
      endif()
      string(REGEX REPLACE "/.*$" "" _folder "${_path}")
      if(_folder IN_LIST korvane_${_layer}_uses)
        continue()
      endif()
      if(_folder IN_LIST korvane_layers OR _quote STREQUAL "\"")
        list(JOIN korvane_${_layer}_uses ", " _allowed)
        list(APPEND _errors "${_file}: includes ${_path}, but ${_layer} may include only ${_allowed}")
      endif()
    endforeach()
  endforeach()
endforeach()

if(_errors)
  list(JOIN _errors "\n  " _text)
  message(FATAL_ERROR "Includes point down only (cmake/korvane_sources.cmake):\n  ${_text}")
endif()
