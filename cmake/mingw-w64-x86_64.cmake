# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers. The
# posix-threads flavour is the one Qt needs (std::thread, std::mutex), and the
# runtime DLLs shipped beside thymara.exe must come from this same compiler.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(THYMARA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${THYMARA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${THYMARA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${THYMARA_MINGW_TRIPLE}-windres)

# Libraries, headers and CMake packages come only from the MinGW sysroot and
# from the prefixes named on the command line (the Windows Qt), never from the
# build machine's own /usr; programs (moc, rcc, uic) come from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${THYMARA_MINGW_TRIPLE} ${CMAKE_PREFIX_PATH})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
