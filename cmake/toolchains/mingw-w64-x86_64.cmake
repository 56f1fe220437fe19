# Cross build of the Windows x64 module with mingw-w64, POSIX thread model
# (the win32 model lacks std::mutex and std::thread with GCC 12).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BT_MINGW_TRIPLE x86_64-w64-mingw32)

set(CMAKE_C_COMPILER   ${BT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${BT_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BT_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything links the C and C++ runtimes and winpthreads in, so the module and
# the test programs need no DLL beyond the system's.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run through Wine (Debian installs the 64-bit loader as
# /usr/bin/wine; there is no wine64 on PATH).
find_program(BT_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(BT_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BT_WINE})
endif()
