# Cross-compiles for 64-bit Windows with Debian's mingw-w64. The POSIX-thread flavour of the
# compilers is the one with std::thread, which Qt and the program need; its runtime DLLs live in
# /usr/lib/gcc/x86_64-w64-mingw32/<version>-posix.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TMT_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TMT_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TMT_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TMT_MINGW_TRIPLE}-windres)
set(CMAKE_ASM_NASM_OBJECT_FORMAT win64)

# Libraries and headers come only from the mingw-w64 sysroot and from the prefixes the caller
# names in CMAKE_PREFIX_PATH (the Windows toolchain cache), never from the Linux host; programs
# (moc, uic, nasm) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${TMT_MINGW_TRIPLE})
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
    list(APPEND CMAKE_FIND_ROOT_PATH "${prefix}")
endforeach()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
