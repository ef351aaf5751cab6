#pragma once

// The POSIX calls that the shared layers make and mingw-w64 lacks, for the Windows build only
// (its CMake file hands this header to every C++ file). It must not include <windows.h>: the
// files it goes into include our own port headers, whose names windows.h takes as macros.

#include <cstddef>
#include <fcntl.h>
#include <io.h>

// Handles of the C library are not inherited unless asked for; _O_NOINHERIT says so outright.
#ifndef O_CLOEXEC
#define O_CLOEXEC _O_NOINHERIT
#endif

// Wiping through a volatile pointer is not optimised away although nothing reads the bytes.
inline void explicit_bzero(void* data, std::size_t size)
{
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(data);
    while (size--)
        *bytes++ = 0;
}
