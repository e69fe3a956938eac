# Cross-compile Korvane for 64-bit Windows with Debian's clang, against the
# MinGW-w64 headers and GCC's libstdc++ (posix thread model): a second
# compiler's warnings on the same code. Objects are linked by the MinGW-w64
# g++ driver, which knows the order of the posix-thread runtime libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_korvane_triplet x86_64-w64-mingw32)
# GCC's own folder (…/12-posix on Debian 12) holds the libstdc++ headers.
execute_process(COMMAND ${_korvane_triplet}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE _korvane_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(_korvane_gcc_dir "${_korvane_libgcc}" DIRECTORY)
set(CMAKE_C_COMPILER   clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET   ${_korvane_triplet})
set(CMAKE_CXX_COMPILER_TARGET ${_korvane_triplet})
set(CMAKE_RC_COMPILER  ${_korvane_triplet}-windres)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${_korvane_gcc_dir}/include/c++ -isystem ${_korvane_gcc_dir}/include/c++/${_korvane_triplet}")
# The platform files set the link rule after this file is read; the override
# file is read after them.
set(CMAKE_USER_MAKE_RULES_OVERRIDE "${CMAKE_CURRENT_LIST_DIR}/clang-mingw-link-rule.cmake")
set(CMAKE_AR ${_korvane_triplet}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_korvane_triplet}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${_korvane_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  get_filename_component(_korvane_root "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      "${_korvane_root}/tools/wine-run;--prefix;${CMAKE_BINARY_DIR}/wineprefix")
endif()
