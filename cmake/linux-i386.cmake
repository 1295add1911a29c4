# 32-bit x86 Linux build on an x86-64 host with Debian's multilib compilers and
# i386 libraries. Where the kernel refuses 32-bit programs, ctest and the test
# discovery run them through qemu-i386.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# 64-bit file offsets and inode numbers: without them readdir fails with
# EOVERFLOW on file systems with 64-bit directory cookies.
set(CMAKE_C_FLAGS_INIT "-m32 -D_FILE_OFFSET_BITS=64")
set(CMAKE_CXX_FLAGS_INIT "-m32 -D_FILE_OFFSET_BITS=64")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")

if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  execute_process(COMMAND /lib/ld-linux.so.2 --version RESULT_VARIABLE runs_i386 OUTPUT_QUIET ERROR_QUIET)
  if(NOT runs_i386 EQUAL 0)
    find_program(QEMU_I386 qemu-i386 REQUIRED)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_I386})
  endif()
endif()
