# Cross-compiles for 32-bit Windows with Debian's mingw-w64, everything
# linked statically, so no mingw runtime DLL is ever needed on a host.
#
# The win32-thread variant builds the library: the -posix variant's
# winpthreads, linked into a DLL, keeps a TLS index and two handles per load
# (its record of the loading thread), so a host that loads and frees the
# library runs out of TLS indexes after about a thousand loads. GoogleTest
# needs std::mutex, which only the -posix variant has: the test programs and
# benchmarks build with MINGW_POSIX_CXX (see the top CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
set(MINGW_POSIX_CXX i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
