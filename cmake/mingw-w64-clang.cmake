# Cross-compiling for 64-bit Windows with clang and lld against the MinGW-w64 headers and import
# libraries and the posix-thread-model libstdc++ of the g++-mingw-w64 packages: a second front end
# over the same code, runtime and tests as cmake/mingw-w64.cmake.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOVO_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${TOVO_MINGW_TRIPLE})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${TOVO_MINGW_TRIPLE})
set(CMAKE_RC_COMPILER ${TOVO_MINGW_TRIPLE}-windres)
# The sysroot keeps the build machine's /usr/include off the search path.
set(CMAKE_SYSROOT /usr/${TOVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH /usr/${TOVO_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Clang would pick whichever GCC the x86_64-w64-mingw32-gcc alternative names (win32 threads by
# default, without std::thread); name the posix one's libstdc++ and its winpthread instead.
file(GLOB TOVO_MINGW_GCC_DIRS LIST_DIRECTORIES true /usr/lib/gcc/${TOVO_MINGW_TRIPLE}/*-posix)
if(NOT TOVO_MINGW_GCC_DIRS)
  message(FATAL_ERROR "No posix-thread MinGW-w64 GCC under /usr/lib/gcc/${TOVO_MINGW_TRIPLE} (g++-mingw-w64-x86-64-posix)")
endif()
list(SORT TOVO_MINGW_GCC_DIRS COMPARE NATURAL ORDER DESCENDING)
list(GET TOVO_MINGW_GCC_DIRS 0 TOVO_MINGW_GCC)
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc++ -isystem ${TOVO_MINGW_GCC}/include/c++ -isystem ${TOVO_MINGW_GCC}/include/c++/${TOVO_MINGW_TRIPLE} -isystem ${TOVO_MINGW_GCC}/include/c++/backward")
# lld resolves archives in any order, so -lpthread may come before libstdc++. Link lines repeat
# the compile flags, where -nostdinc++ means nothing.
set(TOVO_MINGW_LINK_FLAGS "-fuse-ld=lld -L${TOVO_MINGW_GCC} -lpthread -Wno-unused-command-line-argument")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${TOVO_MINGW_LINK_FLAGS}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${TOVO_MINGW_LINK_FLAGS}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${TOVO_MINGW_LINK_FLAGS}")

# CTest runs the Windows programs through Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run")
