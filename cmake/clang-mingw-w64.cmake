# Cross-compiles the Windows build with clang against Debian's MinGW-w64 (posix threads
# model): the same headers, import libraries and libstdc++ as cmake/mingw-w64.cmake, a
# second compiler's reading of the sources. Links with lld.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triple x86_64-w64-mingw32)
# Debian names GCC's folder "12-posix", a version clang's driver does not recognise, so
# it finds neither libstdc++ nor libgcc on its own: both are named here.
file(GLOB mingw_gcc_dirs /usr/lib/gcc/${mingw_triple}/*-posix)
if(NOT mingw_gcc_dirs)
  message(FATAL_ERROR "No posix-threads MinGW-w64 GCC under /usr/lib/gcc/${mingw_triple}")
endif()
list(SORT mingw_gcc_dirs COMPARE NATURAL)
list(GET mingw_gcc_dirs -1 mingw_gcc_dir)

# Options every compile and link needs, kept with the compiler so that a CMAKE_CXX_FLAGS
# given on the command line does not drop them:
#  -femulated-tls  GCC's libstdc++ keeps its thread_locals (call_once's) in emulated TLS;
#  -pthread        the posix libstdc++ needs winpthreads (GCC's driver adds -lpthread);
#  -fuse-ld=lld    LLVM's linker, with its MinGW front end (binutils ld links too, but warns
#                  "duplicate section ... has different size" for every type-info name that
#                  both clang's objects and GCC's libstdc++ define).
set(CMAKE_C_COMPILER clang -femulated-tls -pthread -fuse-ld=lld)
set(CMAKE_CXX_COMPILER clang++ -femulated-tls -pthread -fuse-ld=lld)
set(CMAKE_C_COMPILER_TARGET ${mingw_triple})
set(CMAKE_CXX_COMPILER_TARGET ${mingw_triple})
set(CMAKE_SYSROOT /usr/${mingw_triple})
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES
  ${mingw_gcc_dir}/include/c++
  ${mingw_gcc_dir}/include/c++/${mingw_triple}
  ${mingw_gcc_dir}/include/c++/backward)
set(CMAKE_EXE_LINKER_FLAGS_INIT -L${mingw_gcc_dir})
set(CMAKE_SHARED_LINKER_FLAGS_INIT -L${mingw_gcc_dir})
set(CMAKE_MODULE_LINKER_FLAGS_INIT -L${mingw_gcc_dir})

set(CMAKE_RC_COMPILER ${mingw_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
