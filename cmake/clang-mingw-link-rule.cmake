# Link clang's objects with the MinGW-w64 gcc/g++ drivers: clang's own driver
# puts libgcc_eh before the posix-thread library it needs.
set(CMAKE_C_LINK_EXECUTABLE
    "x86_64-w64-mingw32-gcc-posix <FLAGS> <CMAKE_C_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
set(CMAKE_CXX_LINK_EXECUTABLE
    "x86_64-w64-mingw32-g++-posix <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS> <OBJECTS> -o <TARGET> <LINK_LIBRARIES>")
set(CMAKE_CXX_CREATE_SHARED_LIBRARY
    "x86_64-w64-mingw32-g++-posix <LANGUAGE_COMPILE_FLAGS> <LINK_FLAGS> -shared -o <TARGET> -Wl,--out-implib,<TARGET_IMPLIB> <OBJECTS> <LINK_LIBRARIES>")
