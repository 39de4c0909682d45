# 64-bit ARM (arm64) with Debian's cross compiler (g++-aarch64-linux-gnu). Its C library and
# libstdc++ live in /usr/aarch64-linux-gnu; the programs built here run on this machine under
# qemu's user-mode emulator (qemu-user-static), which takes its loader and libraries from there,
# so CTest runs the tests as it runs native ones. No binfmt registration is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(TAVRELO_TARGET_ROOT /usr/aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L ${TAVRELO_TARGET_ROOT})

# Libraries, headers and packages of the target only; the build's own programs from this machine.
set(CMAKE_FIND_ROOT_PATH ${TAVRELO_TARGET_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
