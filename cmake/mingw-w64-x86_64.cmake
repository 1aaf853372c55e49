# Cross-builds sumquill.exe for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64):
#   cmake -S . -B build-mingw -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DBUILD_TESTING=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SUMQUILL_MINGW_TRIPLE x86_64-w64-mingw32)
# The posix-threads compilers are the ones whose libstdc++ has std::mutex and std::thread;
# the program links statically, so their threads library adds no DLL.
find_program(CMAKE_C_COMPILER NAMES ${SUMQUILL_MINGW_TRIPLE}-gcc-posix ${SUMQUILL_MINGW_TRIPLE}-gcc
             REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${SUMQUILL_MINGW_TRIPLE}-g++-posix
             ${SUMQUILL_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${SUMQUILL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SUMQUILL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
