// Leak checking in the sanitizer build, while the GL driver is still loaded.
#include "platform/LeakCheck.h"

// g++ says so with a macro, clang++ through __has_feature.
#if defined(__SANITIZE_ADDRESS__)
#define TARVELO_LEAK_CHECK 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARVELO_LEAK_CHECK 1
#endif
#endif

#if defined(TARVELO_LEAK_CHECK)
#include <sanitizer/lsan_interface.h>
#endif

void checkLeaksWhileTheDriverIsLoaded()
{
#if defined(TARVELO_LEAK_CHECK)
    __lsan_do_leak_check();
#endif
}
