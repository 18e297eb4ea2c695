// Loaded into a paced program (the real game, or the benchmark's paced floor) by the screen
// benchmark: every buffer swap, once it has returned and the picture is in the window, writes its
// moment (CLOCK_MONOTONIC, nanoseconds, one 8-byte integer) to the file descriptor named in
// TARVELO_SWAP_FD, so the benchmark can count the frames and time the intervals between them
// from outside without changing the program.
#include <GL/glx.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

using SwapFunction = void (*)(Display*, GLXDrawable);

int swapFd()
{
    static const int fd = [] {
        const char* text = std::getenv("TARVELO_SWAP_FD");
        if (text == nullptr)
            return -1;
        const int number = std::atoi(text);
        fcntl(number, F_SETFL, fcntl(number, F_GETFL) | O_NONBLOCK);  // never hold up a frame
        return number;
    }();
    return fd;
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static const auto real = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    real(display, drawable);
    const int fd = swapFd();
    if (fd >= 0) {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        const std::int64_t nanoseconds =
            static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
        // Eight bytes are written whole or not at all on a pipe.
        [[maybe_unused]] const ssize_t written = write(fd, &nanoseconds, sizeof nanoseconds);
    }
}
