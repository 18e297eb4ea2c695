// Loaded into the game by tools/compare_frames.sh: before each buffer swap, writes the digest of
// the whole window's picture (its back buffer, as it is about to be shown) to the file named in
// TARVELO_FRAME_DIGESTS, one line a frame, "WxH digest". Two builds of the game showing the same
// drive must write the same lines, frame for frame.
#include <GL/gl.h>
#include <GL/glx.h>
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/Digest.h"

namespace {

using SwapFunction = void (*)(Display*, GLXDrawable);

FILE* digests()
{
    static FILE* const file = [] {
        const char* path = std::getenv("TARVELO_FRAME_DIGESTS");
        return path ? std::fopen(path, "w") : nullptr;
    }();
    return file;
}

}  // namespace

extern "C" void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    static const auto real = reinterpret_cast<SwapFunction>(dlsym(RTLD_NEXT, "glXSwapBuffers"));
    if (FILE* file = digests()) {
        unsigned width = 0, height = 0;
        glXQueryDrawable(display, drawable, GLX_WIDTH, &width);
        glXQueryDrawable(display, drawable, GLX_HEIGHT, &height);
        static std::vector<unsigned char> pixels;
        pixels.resize(static_cast<size_t>(width) * height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), GL_RGB,
                     GL_UNSIGNED_BYTE, pixels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        std::fprintf(file, "%ux%u %016llx\n", width, height,
                     static_cast<unsigned long long>(digestOf(pixels.data(), pixels.size())));
        std::fflush(file);
    }
    real(display, drawable);
}
