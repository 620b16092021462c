# Shared part of the two MinGW-w64 toolchains. The posix thread model gives
# std::thread to the tests; everything is linked statically.
set(CMAKE_C_COMPILER ${TVK_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVK_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TVK_MINGW_TRIPLE}-windres)
set(TVK_WIDL ${TVK_MINGW_TRIPLE}-widl)
set(TVK_OBJDUMP ${TVK_MINGW_TRIPLE}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${TVK_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Test programs run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
