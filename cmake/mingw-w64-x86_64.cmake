# Cross-builds for 64-bit Windows with Debian's mingw-w64. The -posix compilers, because the
# win32-thread ones have no std::thread or std::mutex; everything is linked statically so that
# no libwinpthread-1.dll or libstdc++-6.dll has to go beside the programs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TELMAQ_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TELMAQ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TELMAQ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${TELMAQ_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TELMAQ_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# ctest runs the programs under Wine (Debian 12 has no /usr/bin/wine, only the loader).
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
