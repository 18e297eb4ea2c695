// Reads screenshots of the game (binary PPM, as `import -window root -depth 8 ppm:FILE` writes
// them) and answers the end-to-end scripts' questions about their pixels, one question per run.
//
//   screen_probe pixel SHOT X Y                  "R G B" of one pixel
//   screen_probe mean SHOT X0 Y0 X1 Y1           mean "R G B" of a rectangle (bounds inclusive)
//   screen_probe diff A B X0 Y0 X1 Y1            mean absolute difference of A and B per channel
//   screen_probe diff A B                        the same over the whole of two pictures of the
//                                                same size
//   screen_probe vshift A B X0 Y0 X1 Y1 MAX      the row shift s (|s| <= MAX) that best maps the
//                                                rectangle of A onto B (B[y + s] = A[y]), printed
//                                                as "s error_at_s error_at_0"
//   screen_probe hshift A B X0 Y0 X1 Y1 MAX      the same for a column shift (B[x + s] = A[x])
//   screen_probe darkest SHOT X Y                the lowest (R + G + B) / 3 of the 3 x 3 pixels
//                                                around (X, Y)
//   screen_probe count SHOT X0 Y0 X1 Y1 RMIN RMAX GMIN GMAX BMIN BMAX
//                                                how many pixels of the rectangle have every
//                                                channel within its bounds (inclusive)
//   screen_probe barend SHOT Y X0 X1             rightmost x of row Y in X0..X1 whose pixel is
//                                                warm (red or yellow, as the damage bar), or -1
//
// Pixel positions are screen pixels from the top-left corner. Exit status 2 on bad input.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

namespace {

struct Rgb {
    int red, green, blue;
};

struct Shot {
    int width = 0, height = 0;
    std::vector<unsigned char> bytes;  // packed RGB rows, top row first

    Rgb at(int x, int y) const
    {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        return {bytes[i], bytes[i + 1], bytes[i + 2]};
    }
};

[[noreturn]] void fail(const std::string& message)
{
    std::cerr << "screen_probe: " << message << std::endl;
    std::exit(2);
}

// Reads the PPM header's next number, skipping white space and comments.
int headerNumber(std::istream& in)
{
    int c = in.get();
    while (c == '#' || std::isspace(c)) {
        if (c == '#')
            while (c != '\n' && c != EOF)
                c = in.get();
        c = in.get();
    }
    int value = 0;
    if (!std::isdigit(c))
        fail("malformed PPM header");
    while (std::isdigit(c)) {
        value = value * 10 + (c - '0');
        if (value > 100000)
            fail("PPM size out of range");
        c = in.get();
    }
    return value;  // the single white-space byte after the number is consumed
}

Shot load(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail("cannot open " + path);
    char magic[2] = {};
    in.read(magic, 2);
    if (magic[0] != 'P' || magic[1] != '6')
        fail(path + " is not a binary PPM");
    Shot shot;
    shot.width = headerNumber(in);
    shot.height = headerNumber(in);
    if (headerNumber(in) != 255)
        fail(path + " is not an 8-bit PPM");
    shot.bytes.resize(static_cast<size_t>(shot.width) * shot.height * 3);
    in.read(reinterpret_cast<char*>(shot.bytes.data()),
            static_cast<std::streamsize>(shot.bytes.size()));
    if (in.gcount() != static_cast<std::streamsize>(shot.bytes.size()))
        fail(path + " is cut short");
    return shot;
}

int number(const char* text)
{
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*text == '\0' || *end != '\0' || value < -100000 || value > 100000)
        fail(std::string("not a number: ") + text);
    return static_cast<int>(value);
}

struct Rect {
    int x0, y0, x1, y1;
};

Rect rectangle(char** args, const Shot& shot)
{
    const Rect r{number(args[0]), number(args[1]), number(args[2]), number(args[3])};
    if (r.x0 < 0 || r.y0 < 0 || r.x1 >= shot.width || r.y1 >= shot.height || r.x0 > r.x1 ||
        r.y0 > r.y1)
        fail("rectangle outside the picture");
    return r;
}

// Mean absolute channel difference between pixel (x, y) of a and pixel (x + dx, y + dy) of b,
// over the part of the rectangle where both lie inside it.
double shiftError(const Shot& a, const Shot& b, const Rect& r, int dx, int dy)
{
    double sum = 0.0;
    long count = 0;
    for (int y = std::max(r.y0, r.y0 - dy); y <= std::min(r.y1, r.y1 - dy); ++y)
        for (int x = std::max(r.x0, r.x0 - dx); x <= std::min(r.x1, r.x1 - dx); ++x) {
            const Rgb p = a.at(x, y), q = b.at(x + dx, y + dy);
            sum +=
                std::abs(p.red - q.red) + std::abs(p.green - q.green) + std::abs(p.blue - q.blue);
            count += 3;
        }
    return count > 0 ? sum / count : std::numeric_limits<double>::infinity();
}

// The shift along one axis (the other stays 0) with the least error, as "shift error error_at_0".
void bestShift(const Shot& a, const Shot& b, const Rect& r, bool vertical, int most)
{
    const int length = vertical ? r.y1 - r.y0 : r.x1 - r.x0;
    if (most < 0 || most >= length)
        fail("shift range larger than the rectangle");
    int best = 0;
    double bestError = std::numeric_limits<double>::infinity();
    for (int shift = -most; shift <= most; ++shift) {
        const double error =
            vertical ? shiftError(a, b, r, 0, shift) : shiftError(a, b, r, shift, 0);
        if (error < bestError) {
            bestError = error;
            best = shift;
        }
    }
    std::printf("%d %.3f %.3f\n", best, bestError, shiftError(a, b, r, 0, 0));
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "pixel" && argc == 5) {
        const Shot shot = load(argv[2]);
        const int x = number(argv[3]), y = number(argv[4]);
        if (x < 0 || y < 0 || x >= shot.width || y >= shot.height)
            fail("pixel outside the picture");
        const Rgb p = shot.at(x, y);
        std::printf("%d %d %d\n", p.red, p.green, p.blue);
    } else if (command == "mean" && argc == 7) {
        const Shot shot = load(argv[2]);
        const Rect r = rectangle(argv + 3, shot);
        double sum[3] = {0, 0, 0};
        for (int y = r.y0; y <= r.y1; ++y)
            for (int x = r.x0; x <= r.x1; ++x) {
                const Rgb p = shot.at(x, y);
                sum[0] += p.red;
                sum[1] += p.green;
                sum[2] += p.blue;
            }
        const double n = static_cast<double>(r.x1 - r.x0 + 1) * (r.y1 - r.y0 + 1);
        std::printf("%.0f %.0f %.0f\n", sum[0] / n, sum[1] / n, sum[2] / n);
    } else if (command == "diff" && (argc == 8 || argc == 4)) {
        const Shot a = load(argv[2]), b = load(argv[3]);
        if (a.width != b.width || a.height != b.height)
            fail("pictures of different sizes");
        const Rect whole = {0, 0, a.width - 1, a.height - 1};
        std::printf("%.3f\n", shiftError(a, b, argc == 8 ? rectangle(argv + 4, a) : whole, 0, 0));
    } else if ((command == "vshift" || command == "hshift") && argc == 9) {
        const Shot a = load(argv[2]), b = load(argv[3]);
        if (a.width != b.width || a.height != b.height)
            fail("pictures of different sizes");
        bestShift(a, b, rectangle(argv + 4, a), command == "vshift", number(argv[8]));
    } else if (command == "darkest" && argc == 5) {
        const Shot shot = load(argv[2]);
        const int x = number(argv[3]), y = number(argv[4]);
        if (x < 1 || y < 1 || x + 1 >= shot.width || y + 1 >= shot.height)
            fail("pixel too near the edge of the picture");
        int darkest = 255;
        for (int j = y - 1; j <= y + 1; ++j)
            for (int i = x - 1; i <= x + 1; ++i) {
                const Rgb p = shot.at(i, j);
                darkest = std::min(darkest, (p.red + p.green + p.blue) / 3);
            }
        std::printf("%d\n", darkest);
    } else if (command == "count" && argc == 13) {
        const Shot shot = load(argv[2]);
        const Rect r = rectangle(argv + 3, shot);
        int bounds[6];
        for (int i = 0; i < 6; ++i)
            bounds[i] = number(argv[7 + i]);
        long count = 0;
        for (int y = r.y0; y <= r.y1; ++y)
            for (int x = r.x0; x <= r.x1; ++x) {
                const Rgb p = shot.at(x, y);
                count += p.red >= bounds[0] && p.red <= bounds[1] && p.green >= bounds[2] &&
                         p.green <= bounds[3] && p.blue >= bounds[4] && p.blue <= bounds[5];
            }
        std::printf("%ld\n", count);
    } else if (command == "barend" && argc == 6) {
        const Shot shot = load(argv[2]);
        const int y = number(argv[3]), x0 = number(argv[4]), x1 = number(argv[5]);
        if (y < 0 || y >= shot.height || x0 < 0 || x1 >= shot.width || x0 > x1)
            fail("row outside the picture");
        int end = -1;
        for (int x = x0; x <= x1; ++x) {
            const Rgb p = shot.at(x, y);
            if (p.red >= 100 && p.red >= p.blue + 80)  // red to yellow, not grey, black or white
                end = x;
        }
        std::printf("%d\n", end);
    } else {
        fail(
            "usage: pixel|mean|diff|vshift|hshift|darkest|count|barend ... (see the first lines of "
            "screen_probe.cpp)");
    }
    return 0;
}
