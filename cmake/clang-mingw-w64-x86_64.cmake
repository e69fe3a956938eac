# Cross-compile Korvane for 64-bit Windows with Debian's clang, against the
# MinGW-w64 headers and GCC's libstdc++ (posix thread model): a second
# compiler's warnings on the same code. Objects are linked by the MinGW-w64
# gcc/g++ drivers, which know the order of the posix-thread runtime libraries.
include("${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake")

# GCC's own folder (…/12-posix on Debian 12) holds the libstdc++ headers.
execute_process(COMMAND ${_korvane_triplet}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE _korvane_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(_korvane_gcc_dir "${_korvane_libgcc}" DIRECTORY)

set(CMAKE_C_COMPILER   clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET   ${_korvane_triplet})
set(CMAKE_CXX_COMPILER_TARGET ${_korvane_triplet})
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${_korvane_gcc_dir}/include/c++ -isystem ${_korvane_gcc_dir}/include/c++/${_korvane_triplet}")
set(CMAKE_AR ${_korvane_triplet}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${_korvane_triplet}-ranlib CACHE FILEPATH "")
# The platform files set the link rules after this file is read; the override
# file is read after them.
set(CMAKE_USER_MAKE_RULES_OVERRIDE "${CMAKE_CURRENT_LIST_DIR}/clang-mingw-link-rule.cmake")
