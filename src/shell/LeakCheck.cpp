// Leak checking in the sanitizer build, while the GL driver is still loaded.
#include "shell/LeakCheck.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

void checkLeaksWhileTheDriverIsLoaded()
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan_do_leak_check();
#endif
}
