// Records a rectangle of the screen picture after picture, for the end-to-end scripts to look
// through afterwards for what the game shows only briefly: the wreck's fire burns for 50 frames,
// less than a screenshot and its questions take on a busy machine. It takes the rectangle back to
// back, at most once a frame of the game (60 a second), and writes each picture that differs from
// the last one written as FOLDER/NNNNNN.ppm, numbered from 000000 (binary PPM of the rectangle's
// size, as screen_probe reads them). The first picture is always written, so its file tells that
// the recording has begun; each file appears whole under its name. It runs until it is ended (a
// signal) or the X server goes.
//   screen_record FOLDER X0 Y0 X1 Y1     the rectangle in screen pixels from the top-left
//                                        corner, bounds inclusive
// Exit status 2 on bad input or no X server.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::chrono::microseconds kFramePeriod(16667);  // the game's frames, 60 a second

[[noreturn]] void fail(const char* message)
{
    std::fprintf(stderr, "screen_record: %s\n", message);
    std::exit(2);
}

// One channel of a pixel as 0..255, from the mask that picks it out of the pixel's value.
unsigned char channel(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long most = mask >> shift;
    return static_cast<unsigned char>(((pixel & mask) >> shift) * 255 / most);
}

// The rectangle's pixels as packed RGB rows, top row first.
std::vector<unsigned char> grab(Display* display, Window root, int x, int y, int width, int height)
{
    XImage* image = XGetImage(display, root, x, y, width, height, AllPlanes, ZPixmap);
    if (!image)
        fail("the screen could not be read");
    std::vector<unsigned char> rgb;
    rgb.reserve(static_cast<size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long pixel = XGetPixel(image, column, row);
            rgb.push_back(channel(pixel, image->red_mask));
            rgb.push_back(channel(pixel, image->green_mask));
            rgb.push_back(channel(pixel, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return rgb;
}

void write(const std::string& folder, int number, int width, int height,
           const std::vector<unsigned char>& rgb)
{
    char name[16];
    std::snprintf(name, sizeof name, "%06d.ppm", number);
    const std::string partial = folder + "/.partial", path = folder + "/" + name;
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file)
        fail("the folder cannot be written");
    std::fprintf(file, "P6\n%d %d\n255\n", width, height);
    const bool written = std::fwrite(rgb.data(), 1, rgb.size(), file) == rgb.size();
    if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), path.c_str()) != 0)
        fail("a picture could not be written");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6)
        fail("usage: screen_record FOLDER X0 Y0 X1 Y1");
    const int x0 = std::atoi(argv[2]), y0 = std::atoi(argv[3]);
    const int width = std::atoi(argv[4]) - x0 + 1, height = std::atoi(argv[5]) - y0 + 1;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        fail("no X server");
    const Window root = DefaultRootWindow(display);
    XWindowAttributes screen{};
    XGetWindowAttributes(display, root, &screen);
    if (x0 < 0 || y0 < 0 || width <= 0 || height <= 0 || x0 + width > screen.width ||
        y0 + height > screen.height)
        fail("the rectangle does not lie on the screen");

    std::vector<unsigned char> last;
    int written = 0;
    auto slot = std::chrono::steady_clock::now();
    for (;;) {
        std::vector<unsigned char> picture = grab(display, root, x0, y0, width, height);
        if (picture != last) {
            write(argv[1], written++, width, height, picture);
            last.swap(picture);
        }
        // The next picture a frame after this one, or at once when this one came late.
        slot = std::max(slot + kFramePeriod, std::chrono::steady_clock::now());
        std::this_thread::sleep_until(slot);
    }
}
