# The part of the two cross toolchain files (GCC and clang) that is the same:
# the target system, where MinGW-w64's headers and libraries are, and how the
# Windows executables (the tests) run on Linux.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_korvane_triplet x86_64-w64-mingw32)
set(CMAKE_RC_COMPILER ${_korvane_triplet}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${_korvane_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Executables (the tests) run through tools/wine-run with a private wine
# prefix inside the build tree. Override by passing
# -DCMAKE_CROSSCOMPILING_EMULATOR=... on the command line.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(_korvane_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      "${_korvane_root}/tools/wine-run;--prefix;${CMAKE_BINARY_DIR}/wineprefix")
endif()
