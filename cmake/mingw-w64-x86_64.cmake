# Cross-compile Korvane for 64-bit Windows with Debian's MinGW-w64 (posix
# thread model) and run the resulting executables (tests) under wine.
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake")

set(CMAKE_C_COMPILER   ${_korvane_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_korvane_triplet}-g++-posix)
