// Today's screens in real frames, on a bare virtual X server of 3840 x 2160 of the program's own:
// the picture that keeps its 4:3 proportions between bars, with the buttons hit where drawn; and
// text, points and lines drawn larger where the picture is at least twice as tall as the 768
// pixels the game was drawn for, and exactly as before below that.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "GlHarness.h"
#include "dashboard/Toolbar.h"
#include "input/Actions.h"
#include "input/Input.h"
#include "platform/Window.h"
#include "session/Draw.h"
#include "shell/Game.h"
#include "vehicle/Car.h"

namespace {

const harness::OwnScreen screen(3840, 2160);

// A rectangle of window pixels, from the bottom left as GL counts them.
struct Area {
    int left, bottom, width, height;
};

using Picture = std::vector<unsigned char>;  // RGB rows, the bottom row first

Picture readArea(Area area)
{
    Picture rgb(static_cast<size_t>(area.width) * area.height * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(area.left, area.bottom, area.width, area.height, GL_RGB, GL_UNSIGNED_BYTE,
                 rgb.data());
    return rgb;
}

harness::Colour pixelAt(const Picture& picture, int width, int x, int y)
{
    const size_t i = (static_cast<size_t>(y) * width + x) * 3;
    return {picture[i], picture[i + 1], picture[i + 2]};
}

// Where two pictures of the same size first differ, and in how many pixels.
std::string difference(const Picture& a, const Picture& b, int width)
{
    long count = 0, first = -1;
    for (size_t i = 0; i < a.size(); i += 3)
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2]) {
            first = first < 0 ? static_cast<long>(i / 3) : first;
            ++count;
        }
    if (count == 0)
        return "none";
    return std::to_string(count) + " pixels, the first at (" + std::to_string(first % width) +
           ", " + std::to_string(first / width) + ")";
}

bool same(harness::Colour a, harness::Colour b)
{
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}

// The colour beyond the map's border, as a frame shows it in the top right corner with the car
// far out beyond the map's north-east corner.
harness::Colour borderColour()
{
    harness::resetGame();
    harness::placeCar(150.0f, 150.0f);
    harness::runFrame();
    harness::runFrame();
    return pixelAt(readArea({windowWidth - 1, windowHeight - 1, 1, 1}), 1, 0, 0);
}

class ScreensTest : public testing::Test {
protected:
    void SetUp() override { harness::resetGame(); }
    void TearDown() override
    {
        aspectKept = false;
        harness::resizeWindow(harness::kWindowWidth, harness::kWindowHeight);
    }
};

void showIn(int width, int height, bool keep)
{
    aspectKept = keep;
    harness::resizeWindow(width, height);
}

// The player's keys at a frame of the drive: fourth gear, Up pressed every second frame, two
// turns, so that the car crosses the map, hits things and throws bursts of random particles.
void keysAt(int frame)
{
    if (frame == 0)
        keyboard('4', 0, 0);
    if (frame % 2 == 0)
        specialKey(GLUT_KEY_UP, 0, 0);
    if (frame == 40 || frame == 41)
        specialKey(GLUT_KEY_RIGHT, 0, 0);
}

constexpr int kDriveFrames = 160;
constexpr int kFramesBetweenLooks = 40;

// The same drive from the start, the picture's area read every few frames; and how many pixels
// of the window outside the area were not the border's colour, over all those frames.
std::vector<Picture> drive(Area picture, harness::Colour border, long& barPixelsAmiss)
{
    harness::resetGame();  // a fresh game: the same random numbers in every drive
    std::vector<Picture> looks;
    barPixelsAmiss = 0;
    for (int frame = 0; frame < kDriveFrames; ++frame) {
        keysAt(frame);
        idle();
        harness::runFrame();
        if (frame % kFramesBetweenLooks != kFramesBetweenLooks - 1)
            continue;
        looks.push_back(readArea(picture));
        const Picture window = readArea({0, 0, windowWidth, windowHeight});
        for (int y = 0; y < windowHeight; ++y) {
            const bool besidePicture = y >= picture.bottom && y < picture.bottom + picture.height;
            for (int x = 0; x < windowWidth; ++x) {
                if (besidePicture && x == picture.left)
                    x += picture.width;  // over the picture
                if (x < windowWidth && !same(pixelAt(window, windowWidth, x, y), border))
                    ++barPixelsAmiss;
            }
        }
    }
    return looks;
}

// A window with its proportions kept, and the 4:3 screen of its picture's size.
struct KeptCase {
    int windowWidth, windowHeight;
    int pictureWidth, pictureHeight;
};
constexpr KeptCase kKeptCases[] = {
    {1920, 1080, 1440, 1080},  // a wide screen: bars beside the picture
    {800, 1100, 800, 600},     // a tall window: bars above and below
    {1024, 768, 1024, 768},    // the screens the game was drawn for: no bars
};

TEST_F(ScreensTest, KeptProportionsShowWhatAFourByThreeScreenShowsBetweenBars)
{
    const harness::Colour border = borderColour();
    for (const KeptCase& c : kKeptCases) {
        SCOPED_TRACE(std::to_string(c.windowWidth) + " x " + std::to_string(c.windowHeight));
        long amiss = 0;
        showIn(c.pictureWidth, c.pictureHeight, false);
        const std::vector<Picture> fourByThree =
            drive({0, 0, c.pictureWidth, c.pictureHeight}, border, amiss);
        showIn(c.windowWidth, c.windowHeight, true);
        const Area middle = {(c.windowWidth - c.pictureWidth) / 2,
                             (c.windowHeight - c.pictureHeight) / 2, c.pictureWidth,
                             c.pictureHeight};
        const std::vector<Picture> kept = drive(middle, border, amiss);
        ASSERT_EQ(kept.size(), fourByThree.size());
        for (size_t i = 0; i < kept.size(); ++i)
            EXPECT_TRUE(kept[i] == fourByThree[i])
                << "the picture differs after frame " << (i + 1) * kFramesBetweenLooks << ": "
                << difference(kept[i], fourByThree[i], c.pictureWidth);
        EXPECT_EQ(amiss, 0) << "pixels of the bars not in the border's colour";
        // The drive went somewhere and hit things, or the comparison says little.
        EXPECT_LT(harness::game().playerCar.getDamageStatus(), 14.0f);
    }
}

bool panelGrey(harness::Colour c)
{
    return harness::near(c, 192, 192, 192, 8);
}

// Along a line of window pixels (from the top left, as the mouse counts them) across a button:
// the drawn button is the run of pixels that are not the panel's grey around its middle, and a
// press hits it exactly there.
void expectHitWhereDrawn(PanelButtonKind kind, int fromX, int fromY, int toX, int toY)
{
    const Picture window = readArea({0, 0, windowWidth, windowHeight});
    const int steps = std::max(std::abs(toX - fromX), std::abs(toY - fromY));
    auto at = [&](int i) {
        return std::pair{fromX + (toX - fromX) * i / steps, fromY + (toY - fromY) * i / steps};
    };
    auto drawn = [&](int i) {
        const auto [x, y] = at(i);
        return !panelGrey(pixelAt(window, windowWidth, x, windowHeight - 1 - y));
    };
    int first = steps / 2, last = steps / 2;
    while (first > 0 && drawn(first - 1))
        --first;
    while (last < steps && drawn(last + 1))
        ++last;
    for (int i = 0; i <= steps; ++i) {
        const auto [x, y] = at(i);
        EXPECT_EQ(buttonAtPixel(x, y) == kind, i >= first && i <= last)
            << "at (" << x << ", " << y << "), the button drawn from step " << first << " to "
            << last;
    }
}

TEST_F(ScreensTest, ButtonsAreHitWhereDrawnBetweenTheBarsAndNotBesideThem)
{
    for (const KeptCase& c : kKeptCases) {
        SCOPED_TRACE(std::to_string(c.windowWidth) + " x " + std::to_string(c.windowHeight));
        showIn(c.windowWidth, c.windowHeight, true);
        harness::resetGame();
        harness::runFrame();
        harness::runFrame();  // the first after the resize is not kept to be read
        const int left = (c.windowWidth - c.pictureWidth) / 2;
        const int top = c.windowHeight - (c.windowHeight - c.pictureHeight) / 2 - c.pictureHeight;
        // Window pixel of a view point, from the top left.
        auto column = [&](double x) { return left + harness::pixelOfView(x, c.pictureWidth); };
        auto row = [&](double y) { return top + harness::pixelOfView(-y, c.pictureHeight); };
        for (const PanelButton& button : panelButtons) {
            const double middleX = (button.left + button.right) / 2.0;
            const double middleY = (button.bottom + button.top) / 2.0;
            expectHitWhereDrawn(button.kind, column(-49.5), row(middleY), column(-30.5),
                                row(middleY));
            expectHitWhereDrawn(button.kind, column(middleX), row(button.top + 3), column(middleX),
                                row(button.bottom - 3));
            // Nothing in the bars is hit, where a stretched picture would have the button.
            for (int x = 0; x < left; ++x)
                EXPECT_FALSE(buttonAtPixel(x, row(middleY))) << "at column " << x;
            for (int y = 0; y < top; ++y)
                EXPECT_FALSE(buttonAtPixel(column(middleX), y)) << "at row " << y;
        }
    }
}

// The pixels of one colour in a view rectangle of the picture covering the window: their
// bounding box, and which of its pixels they are, the bottom row first.
struct Shape {
    int width = 0, height = 0;
    std::vector<bool> lit;
};

Shape shapeIn(float left, float bottom, float right, float top, harness::Colour colour)
{
    const int x0 = harness::pixelOfView(left, windowWidth);
    const int y0 = harness::pixelOfView(bottom, windowHeight);
    const int x1 = harness::pixelOfView(right, windowWidth);
    const int y1 = harness::pixelOfView(top, windowHeight);
    const int width = x1 - x0, height = y1 - y0;
    const Picture area = readArea({x0, y0, width, height});
    int minX = width, maxX = -1, minY = height, maxY = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (same(pixelAt(area, width, x, y), colour)) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    Shape shape;
    if (maxX < 0)
        return shape;
    shape.width = maxX - minX + 1;
    shape.height = maxY - minY + 1;
    for (int y = minY; y <= maxY; ++y)
        for (int x = minX; x <= maxX; ++x)
            shape.lit.push_back(same(pixelAt(area, width, x, y), colour));
    return shape;
}

// `big` is `small` with every pixel a square of `scale` pixels.
void expectEnlarged(const Shape& big, const Shape& small, int scale)
{
    ASSERT_GT(small.width, 0) << "nothing of the text was found";
    ASSERT_EQ(big.width, small.width * scale);
    ASSERT_EQ(big.height, small.height * scale);
    long differing = 0;
    for (int y = 0; y < big.height; ++y)
        for (int x = 0; x < big.width; ++x)
            differing += big.lit[static_cast<size_t>(y) * big.width + x] !=
                         small.lit[static_cast<size_t>(y / scale) * small.width + x / scale];
    EXPECT_EQ(differing, 0) << "pixels not the enlarged letters";
}

// A text of the game and the view rectangle it lies in, clear of everything else of its colour.
struct Text {
    const char* name;
    float left, bottom, right, top;
    harness::Colour colour;
};
constexpr harness::Colour kBlack = {0, 0, 0}, kWhite = {255, 255, 255};
constexpr Text kTexts[] = {
    {"DAMAGE", -49.0f, -34.7f, -31.0f, -31.0f, kBlack},     // 9 x 15 letters
    {"rev / min", -49.0f, -48.8f, -37.0f, -46.0f, kBlack},  // Times Roman 10
    {"PAUSED", -1.8f, 17.2f, 21.8f, 24.8f, kWhite},         // Times Roman 24
};

// The texts as the game shows them in a window of this size, "PAUSED" over the frame it paused at.
std::vector<Shape> textsAt(int width, int height)
{
    showIn(width, height, false);
    harness::resetGame();
    harness::runFrame();
    tapAction(Action::Pause, Device::Keyboard);
    harness::runFrame();  // played, then paused: the word over it
    std::vector<Shape> shapes;
    for (const Text& text : kTexts)
        shapes.push_back(shapeIn(text.left, text.bottom, text.right, text.top, text.colour));
    return shapes;
}

// A window size and how many times larger than on the screens the game was drawn for its text
// is drawn there.
struct Enlargement {
    int width, height, scale;
};
constexpr Enlargement kEnlargements[] = {
    {2048, 1535, 1},  // a pixel short of twice 768: nothing changes
    {2048, 1536, 2},  // the 4:3 screen twice as large
    {3840, 2160, 2},
};

TEST_F(ScreensTest, TextIsTheSameLettersEnlargedOnScreensTwiceAsTall)
{
    const std::vector<Shape> fullHd = textsAt(1920, 1080);
    for (const Enlargement& e : kEnlargements) {
        const std::vector<Shape> shapes = textsAt(e.width, e.height);
        for (size_t i = 0; i < shapes.size(); ++i) {
            SCOPED_TRACE(std::string(kTexts[i].name) + " at " + std::to_string(e.width) + " x " +
                         std::to_string(e.height));
            expectEnlarged(shapes[i], fullHd[i], e.scale);
        }
    }
}

// Rows of exact black in one column of the window, over a view range of y.
int blackRowsAt(float x, float bottom, float top)
{
    const int column = harness::pixelOfView(x, windowWidth);
    const int y0 = harness::pixelOfView(bottom, windowHeight);
    const int y1 = harness::pixelOfView(top, windowHeight);
    const Picture strip = readArea({column, y0, 1, y1 - y0});
    int rows = 0;
    for (int y = 0; y < y1 - y0; ++y)
        rows += same(pixelAt(strip, 1, 0, y), kBlack);
    return rows;
}

// Pixels that differ between two pictures along the window's row at view y 0, through the car's
// pivot, from the left edge of the map to the right edge of the window.
int differingAcrossThePivot(const Picture& a, const Picture& b)
{
    const int row = windowHeight / 2;
    int differing = 0;
    for (int x = windowWidth / 5; x < windowWidth; ++x)
        differing += !same(pixelAt(a, windowWidth, x, row), pixelAt(b, windowWidth, x, row));
    return differing;
}

struct Sizes {
    int needleRows;     // the speedometer's needle at rest, across
    int explosionWide;  // the explosion's first frame, across the car's pivot
};

Sizes sizesAt(int width, int height)
{
    showIn(width, height, false);
    harness::resetGame();
    harness::runFrame();
    harness::runFrame();
    Sizes sizes;
    sizes.needleRows = blackRowsAt(-36.0f, -46.0f, -44.0f);
    // A wreck in its first frame of fire, against the same frame drawn without its burst.
    harness::game().playerCar.setCarDamageStatus(0.0f);
    harness::runFrame();
    EXPECT_TRUE(harness::game().bursts.shown.shown) << "the wreck's first frame shows its fire";
    const Picture fire = readArea({0, 0, windowWidth, windowHeight});
    GameState cold = harness::game();
    cold.bursts.shown.shown = false;
    drawGame(cold, pictureArea());
    sizes.explosionWide =
        differingAcrossThePivot(fire, readArea({0, 0, windowWidth, windowHeight}));
    return sizes;
}

TEST_F(ScreensTest, NeedlesAndBurstsKeepTheirShareOfTheScreenAtFourK)
{
    const Sizes fullHd = sizesAt(1920, 1080);
    const Sizes fourK = sizesAt(3840, 2160);
    EXPECT_EQ(fullHd.needleRows, 2);
    EXPECT_EQ(fourK.needleRows, 4);
    EXPECT_GE(fullHd.explosionWide, 15) << "no explosion found";
    EXPECT_NEAR(fourK.explosionWide, 2 * fullHd.explosionWide, 2);
}

}  // namespace
