// The GCC runtime, linked statically, keeps two things per load that its own
// unload does not give back; a host that loads and frees the library again
// and again would run out of handles and memory. (The -posix runtime would
// also keep a TLS index and two handles per load for winpthreads' record of
// the loading thread: the library is built with the win32-thread compiler.)
#include "module/Runtime.h"

#include <cstddef>  // defines __GLIBCXX__ where the library is libstdc++

#if defined(__GLIBCXX__)
namespace __gnu_cxx {
// libstdc++'s release of its emergency exception buffer (about 19 KB here),
// allocated when the library loads.
void __freeres() noexcept;
}  // namespace __gnu_cxx
#endif

void ReleaseRuntime() noexcept {
#if defined(__GLIBCXX__)
    __gnu_cxx::__freeres();
#endif
}

#if defined(__MINGW32__) && defined(__i386__)
// crtbegin registers the image's unwind tables at load and removes them at
// unload (the linker sends both calls here: --wrap). The registry creates
// its lock, a semaphore that nothing closes, the first time it is used while
// the runtime counts threads (_CRT_MT). Both calls run under the loader lock,
// before any code of this image can run on another thread or after the last
// has left it, so they need no lock: they go with the count off, and the lock
// is made only if an exception is ever thrown in between.
extern "C" {
extern int _CRT_MT;
void __real___register_frame_info(const void* begin, void* object);
void* __real___deregister_frame_info(const void* begin);

void __wrap___register_frame_info(const void* begin, void* object) {
    const int threads = _CRT_MT;
    _CRT_MT = 0;
    __real___register_frame_info(begin, object);
    _CRT_MT = threads;
}

void* __wrap___deregister_frame_info(const void* begin) {
    const int threads = _CRT_MT;
    _CRT_MT = 0;
    void* object = __real___deregister_frame_info(begin);
    _CRT_MT = threads;
    return object;
}
}  // extern "C"
#endif
