// Tests of the BMP reader: layouts, colours, run-length data and refusals on files built byte by
// byte, the ten shipped textures, and the public BMP test suite where it is at hand.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "BmpBuilder.h"
#include "assets/BmpReader.h"
#include "assets/Textures.h"

namespace {

namespace fs = std::filesystem;
using Rgb = std::array<int, 3>;

constexpr const char* kConversionError = "Image file conversion error.";
constexpr const char* kUnknownFormat = "Unknown DIB file format.";

// Fixture files live in a temporary folder, or, when TARVELO_FIXTURE_DIR is set (the fuzz script
// seeds its corpus with them), in that folder to stay.
class FixtureFolder {
public:
    FixtureFolder()
    {
        if (const char* keep = std::getenv("TARVELO_FIXTURE_DIR")) {
            path_ = keep;
            keep_ = true;
            fs::create_directories(path_);
        } else {
            std::string pattern = (fs::temp_directory_path() / "tarvelo-bmp-XXXXXX").string();
            path_ = mkdtemp(pattern.data());
        }
    }
    ~FixtureFolder()
    {
        if (!keep_)
            fs::remove_all(path_);
    }
    std::string write(const std::vector<uint8_t>& bytes)
    {
        const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
        const fs::path file = path_ / (std::string(test->test_suite_name()) + "." + test->name() +
                                       "." + std::to_string(++count_) + ".bmp");
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return file.string();
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
    bool keep_ = false;
    int count_ = 0;
};

FixtureFolder& fixtures()
{
    static FixtureFolder folder;
    return folder;
}

struct Outcome {
    std::optional<DecodedImage> image;
    std::string errors;  // the message of the refusal
};

// Reads the file at `path` as the loader does: the file's name in its folder.
Outcome readPath(const fs::path& path, const SizeCheck& fits = nullptr)
{
    BmpReading reading = readBmpFile(path.parent_path().string(), path.filename().string(), fits);
    return {std::move(reading.image), std::move(reading.failure)};
}

Outcome read(const std::vector<uint8_t>& bytes, const SizeCheck& fits = nullptr)
{
    return readPath(fixtures().write(bytes), fits);
}

testing::AssertionResult decoded(const Outcome& outcome, int width, int height)
{
    if (!outcome.image)
        return testing::AssertionFailure() << "refused with: " << outcome.errors;
    if (!outcome.errors.empty())
        return testing::AssertionFailure() << "decoded, but reported: " << outcome.errors;
    if (outcome.image->width != width || outcome.image->height != height)
        return testing::AssertionFailure()
               << "decoded as " << outcome.image->width << " x " << outcome.image->height;
    return testing::AssertionSuccess();
}

// No picture, and exactly this message.
testing::AssertionResult refused(const Outcome& outcome, const std::string& message)
{
    if (outcome.image)
        return testing::AssertionFailure() << "decoded a " << outcome.image->width << " x "
                                           << outcome.image->height << " picture";
    if (outcome.errors != message)
        return testing::AssertionFailure() << "reported \"" << outcome.errors << "\"";
    return testing::AssertionSuccess();
}

// The output pixel at column x of row `row`, counted from the bottom row.
Rgb pixelAt(const Outcome& outcome, int x, int row)
{
    const DecodedImage& image = *outcome.image;
    const unsigned char* p = image.pixels.get() + (static_cast<size_t>(row) * image.width + x) * 3;
    return {p[0], p[1], p[2]};
}

// Indices packed into a row of 1-, 4- or 8-bit pixels, leftmost pixel in the high bits.
std::vector<uint8_t> packIndices(const std::vector<unsigned>& indices, unsigned bitCount)
{
    std::vector<uint8_t> bytes((indices.size() * bitCount + 7) / 8, 0);
    for (size_t x = 0; x < indices.size(); ++x) {
        const size_t bit = x * bitCount;
        bytes[bit / 8] |= static_cast<uint8_t>(indices[x] << (8 - bitCount - bit % 8));
    }
    return bytes;
}

// A colour table entry that tells its index apart.
Rgb paletteColour(unsigned index)
{
    return {static_cast<int>(index * 7 % 256), static_cast<int>(255 - index),
            static_cast<int>(index * 3 % 256)};
}

BmpBuilder& addPalette(BmpBuilder& bmp, unsigned entries)
{
    for (unsigned i = 0; i < entries; ++i) {
        const Rgb c = paletteColour(i);
        bmp.quad(static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]),
                 static_cast<uint8_t>(c[2]));
    }
    return bmp;
}

// ---- The colour count ----

// Core headers count by bit count; info headers take biClrUsed (16 bits of it), else the same.
TEST(PaletteEntryCount, TakesClrUsedElseCountsByBitCount)
{
    struct Case {
        std::vector<uint8_t> header;
        uint16_t entries;
    };
    const Case cases[] = {
        {BmpBuilder().coreHeader(4, 4, 1).asBareDib(), 2},
        {BmpBuilder().coreHeader(4, 4, 4).asBareDib(), 16},
        {BmpBuilder().coreHeader(4, 4, 8).asBareDib(), 256},
        {BmpBuilder().coreHeader(4, 4, 24).asBareDib(), 0},
        {BmpBuilder().infoHeader(4, 4, 1).asBareDib(), 2},
        {BmpBuilder().infoHeader(4, 4, 4).asBareDib(), 16},
        {BmpBuilder().infoHeader(4, 4, 8).asBareDib(), 256},
        {BmpBuilder().infoHeader(4, 4, 16).asBareDib(), 0},
        {BmpBuilder().infoHeader(4, 4, 32).asBareDib(), 0},
        {BmpBuilder().infoHeader(4, 4, 24, 0, 5).asBareDib(), 5},
        {BmpBuilder().infoHeader(4, 4, 8, 0, 0x12341234).asBareDib(), 0x1234},
        {BmpBuilder().headerOfSize(108, 4, 4, 4).asBareDib(), 16},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(paletteEntryCount(cases[i].header.data()), cases[i].entries) << "case " << i;
}

// ---- Where the pixels are, and how rows come out ----

TEST(BmpReaderLayout, FileHeaderPointsAtThePixelsWhileTheColourTableFollowsTheHeader)
{
    BmpBuilder bmp;
    bmp.infoHeader(2, 1, 8, 0, 2).quad(10, 20, 30).quad(40, 50, 60);
    bmp.raw({0xEE, 0xEE, 0xEE, 0xEE, 0xEE});  // five unused bytes before the pixels
    bmp.pixelsStartHere().row({1, 0});
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 2, 1));
    EXPECT_EQ(pixelAt(outcome, 0, 0), (Rgb{40, 50, 60}));
    EXPECT_EQ(pixelAt(outcome, 1, 0), (Rgb{10, 20, 30}));
}

TEST(BmpReaderLayout, BareDibPixelsFollowTheColourTable)
{
    // A 24-bit picture with five (unused) colour entries: its pixels start 60 bytes in.
    BmpBuilder trueColour;
    trueColour.infoHeader(1, 1, 24, 0, 5);
    addPalette(trueColour, 5).row({0x03, 0x02, 0x01});
    const Outcome five = read(trueColour.asBareDib());
    ASSERT_TRUE(decoded(five, 1, 1));
    EXPECT_EQ(pixelAt(five, 0, 0), (Rgb{1, 2, 3}));

    // Palette pictures without biClrUsed carry 2, 16 or 256 entries; core headers 3-byte ones.
    for (const uint16_t bits : {1, 4, 8}) {
        const unsigned entries = 1u << bits;
        BmpBuilder info;
        info.infoHeader(1, 1, bits);
        addPalette(info, entries).row(packIndices({entries - 1}, bits));
        const Outcome fromInfo = read(info.asBareDib());
        ASSERT_TRUE(decoded(fromInfo, 1, 1)) << bits;
        EXPECT_EQ(pixelAt(fromInfo, 0, 0), paletteColour(entries - 1)) << bits;

        BmpBuilder core;
        core.coreHeader(1, 1, bits);
        for (unsigned i = 0; i < entries; ++i) {
            const Rgb c = paletteColour(i);
            core.triple(static_cast<uint8_t>(c[0]), static_cast<uint8_t>(c[1]),
                        static_cast<uint8_t>(c[2]));
        }
        core.row(packIndices({entries - 1}, bits));
        const Outcome fromCore = read(core.asBareDib());
        ASSERT_TRUE(decoded(fromCore, 1, 1)) << bits;
        EXPECT_EQ(pixelAt(fromCore, 0, 0), paletteColour(entries - 1)) << bits;
    }
}

TEST(BmpReaderLayout, FirstPixelIsTheBottomLeftOneInRedGreenBlue)
{
    BmpBuilder bmp;
    bmp.infoHeader(2, 2, 24).pixelsStartHere();
    bmp.row({0x10, 0x20, 0x30, 0x11, 0x21, 0x31});  // bottom row, stored first, blue-green-red
    bmp.row({0x12, 0x22, 0x32, 0x13, 0x23, 0x33});
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 2, 2));
    const unsigned char* p = outcome.image->pixels.get();
    EXPECT_EQ((Rgb{p[0], p[1], p[2]}), (Rgb{0x30, 0x20, 0x10}));
    EXPECT_EQ(pixelAt(outcome, 1, 0), (Rgb{0x31, 0x21, 0x11}));
    EXPECT_EQ(pixelAt(outcome, 0, 1), (Rgb{0x32, 0x22, 0x12}));
    EXPECT_EQ(pixelAt(outcome, 1, 1), (Rgb{0x33, 0x23, 0x13}));
}

// Every width's row padding is skipped, however many bits a pixel has; the padding is filled with
// junk so that reading it as a pixel shows.
TEST(BmpReaderLayout, EveryWidthSkipsItsRowPadding)
{
    for (const uint16_t bits : {1, 4, 8, 24}) {
        for (int width = 1; width <= 9; ++width) {
            SCOPED_TRACE(std::to_string(bits) + " bits, width " + std::to_string(width));
            constexpr int kRows = 3;
            const unsigned entries = bits == 24 ? 0 : 1u << bits;
            auto colourAt = [&](int x, int row) {
                return bits == 24 ? Rgb{x * 25, row * 80, 200 - x}
                                  : paletteColour((x * 7 + row * 3) % entries);
            };
            BmpBuilder bmp;
            bmp.infoHeader(width, kRows, bits);
            addPalette(bmp, entries).pixelsStartHere();
            for (int row = 0; row < kRows; ++row) {
                std::vector<unsigned> indices;
                std::vector<uint8_t> bytes;
                for (int x = 0; x < width; ++x) {
                    const Rgb c = colourAt(x, row);
                    indices.push_back(
                        static_cast<unsigned>((x * 7 + row * 3) % std::max(entries, 1u)));
                    bytes.insert(bytes.end(),
                                 {static_cast<uint8_t>(c[2]), static_cast<uint8_t>(c[1]),
                                  static_cast<uint8_t>(c[0])});
                }
                bmp.row(bits == 24 ? bytes : packIndices(indices, bits), 0xEE);
            }
            const Outcome outcome = read(bmp.asFile());
            ASSERT_TRUE(decoded(outcome, width, kRows));
            for (int row = 0; row < kRows; ++row)
                for (int x = 0; x < width; ++x)
                    EXPECT_EQ(pixelAt(outcome, x, row), colourAt(x, row))
                        << "x " << x << ", row " << row;
        }
    }
}

TEST(BmpReaderLayout, TopDownPicturesComeOutBottomRowFirstWithAPositiveHeight)
{
    BmpBuilder bmp;
    bmp.infoHeader(1, -3, 24).pixelsStartHere();
    bmp.row({0, 0, 1}).row({0, 0, 2}).row({0, 0, 3});  // top row stored first
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 1, 3));
    EXPECT_EQ(pixelAt(outcome, 0, 0), (Rgb{3, 0, 0}));
    EXPECT_EQ(pixelAt(outcome, 0, 1), (Rgb{2, 0, 0}));
    EXPECT_EQ(pixelAt(outcome, 0, 2), (Rgb{1, 0, 0}));
}

// ---- Colours ----

TEST(BmpReaderColours, IndicesPastTheColourTableReadAsBlack)
{
    BmpBuilder bmp;
    bmp.infoHeader(4, 1, 8, 0, 2)
        .quad(10, 20, 30)
        .quad(40, 50, 60)
        .pixelsStartHere()
        .row({1, 2, 255, 0});
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 4, 1));
    EXPECT_EQ(pixelAt(outcome, 0, 0), (Rgb{40, 50, 60}));
    EXPECT_EQ(pixelAt(outcome, 1, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(outcome, 2, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(pixelAt(outcome, 3, 0), (Rgb{10, 20, 30}));
}

TEST(BmpReaderColours, ColourTableLongerThan256EntriesIsReadInFull)
{
    BmpBuilder bmp;
    bmp.infoHeader(2, 1, 8, 0, 300);
    addPalette(bmp, 300).row({255, 7});  // the pixels follow all 300 entries
    const Outcome outcome = read(bmp.asBareDib());
    ASSERT_TRUE(decoded(outcome, 2, 1));
    EXPECT_EQ(pixelAt(outcome, 0, 0), paletteColour(255));
    EXPECT_EQ(pixelAt(outcome, 1, 0), paletteColour(7));
}

TEST(BmpReaderColours, SixteenBitPixelsWithoutMasksAre555)
{
    BmpBuilder bmp;
    bmp.infoHeader(5, 1, 16).pixelsStartHere();
    bmp.row({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42, 0xFF,
             0xFF});  // red, green, blue, 16s, all set
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 5, 1));
    EXPECT_EQ(pixelAt(outcome, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(outcome, 1, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(pixelAt(outcome, 2, 0), (Rgb{0, 0, 255}));
    EXPECT_EQ(pixelAt(outcome, 3, 0), (Rgb{132, 132, 132})) << "16 of 31 is 131.6 of 255";
    EXPECT_EQ(pixelAt(outcome, 4, 0), (Rgb{255, 255, 255})) << "the top bit is no colour";
}

TEST(BmpReaderColours, ThirtyTwoBitPixelsWithoutMasksIgnoreTheirFourthByte)
{
    BmpBuilder bmp;
    bmp.infoHeader(2, 1, 32).pixelsStartHere().row({1, 2, 3, 0xFF, 4, 5, 6, 0x80});
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 2, 1));
    EXPECT_EQ(pixelAt(outcome, 0, 0), (Rgb{3, 2, 1}));
    EXPECT_EQ(pixelAt(outcome, 1, 0), (Rgb{6, 5, 4}));
}

TEST(BmpReaderColours, BitFieldMasksPlaceEachChannel)
{
    BmpBuilder rgb565;  // a bare DIB: the pixels follow the three masks
    rgb565.infoHeader(3, 1, 16, 3)
        .masks(0xF800, 0x07E0, 0x001F)
        .row({0x00, 0xF8, 0x20, 0x00, 0x01, 0x00});
    const Outcome fromMasks = read(rgb565.asBareDib());
    ASSERT_TRUE(decoded(fromMasks, 3, 1));
    EXPECT_EQ(pixelAt(fromMasks, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(fromMasks, 1, 0), (Rgb{0, 4, 0})) << "1 of 63 is 4.05 of 255";
    EXPECT_EQ(pixelAt(fromMasks, 2, 0), (Rgb{0, 0, 8})) << "1 of 31 is 8.2 of 255";

    BmpBuilder swapped;  // red in the low byte, blue in the high one; no green bits at all
    swapped.infoHeader(1, 1, 32, 3)
        .masks(0x000000FF, 0, 0xFF000000)
        .pixelsStartHere()
        .row({0x11, 0x22, 0x33, 0x44});
    const Outcome fromSwapped = read(swapped.asFile());
    ASSERT_TRUE(decoded(fromSwapped, 1, 1));
    EXPECT_EQ(pixelAt(fromSwapped, 0, 0), (Rgb{0x11, 0, 0x44}));
}

// ---- Run-length data ----

TEST(BmpReaderRunLength, EightBitRunsLiteralsDeltasAndEnds)
{
    BmpBuilder bmp;
    bmp.infoHeader(5, 3, 8, 1, 4)
        .quad(9, 9, 9)
        .quad(255, 0, 0)
        .quad(0, 255, 0)
        .quad(0, 0, 255)
        .pixelsStartHere();
    bmp.raw(
        {2, 1, 0, 3, 2, 3, 2, 0, 0, 0});  // two reds, three literal indices (padded), end of row
    bmp.raw({0, 2, 1, 1});  // move right 1 and up 1: row 1 and the start of row 2 skipped
    bmp.raw({3, 3, 0, 1});  // three blues, end of picture
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 5, 3));
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255}, black{0, 0, 0};
    const std::vector<std::vector<Rgb>> expected = {{red, red, green, blue, green},
                                                    {black, black, black, black, black},
                                                    {black, blue, blue, blue, black}};
    for (int row = 0; row < 3; ++row)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(pixelAt(outcome, x, row), expected[row][x]) << "x " << x << ", row " << row;
}

TEST(BmpReaderRunLength, FourBitRunsAlternateTheirTwoIndices)
{
    BmpBuilder bmp;
    bmp.infoHeader(5, 2, 4, 2);
    addPalette(bmp, 16).pixelsStartHere();
    bmp.raw({5, 0x12, 0, 0});  // 1 2 1 2 1, end of row
    bmp.raw(
        {0, 5, 0x34, 0x56, 0x70, 0, 0, 1});  // five literal nibbles in three bytes and a pad, end
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 5, 2));
    const std::vector<std::vector<unsigned>> indices = {{1, 2, 1, 2, 1}, {3, 4, 5, 6, 7}};
    for (int row = 0; row < 2; ++row)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(pixelAt(outcome, x, row), paletteColour(indices[row][x]))
                << "x " << x << ", row " << row;
}

TEST(BmpReaderRunLength, RunsPastTheRowEndStopThere)
{
    BmpBuilder bmp;
    bmp.infoHeader(2, 2, 8, 1, 3).quad(9, 9, 9).quad(255, 0, 0).quad(0, 255, 0).pixelsStartHere();
    bmp.raw({200, 1, 0, 0, 1, 2, 0, 1});
    const Outcome outcome = read(bmp.asFile());
    ASSERT_TRUE(decoded(outcome, 2, 2));
    EXPECT_EQ(pixelAt(outcome, 1, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(outcome, 0, 1), (Rgb{0, 255, 0}));
    EXPECT_EQ(pixelAt(outcome, 1, 1), (Rgb{0, 0, 0}));
}

TEST(BmpReaderRunLength, DataEndingEarlyAndTopDownRunsAreRefused)
{
    BmpBuilder early;
    early.infoHeader(2, 2, 8, 1, 2)
        .quad(1, 1, 1)
        .quad(2, 2, 2)
        .pixelsStartHere()
        .raw({2, 1, 0, 0, 2});
    EXPECT_TRUE(refused(read(early.asFile()), kConversionError));

    BmpBuilder literal;  // a literal run announcing more indices than the file holds
    literal.infoHeader(8, 1, 8, 1, 2)
        .quad(1, 1, 1)
        .quad(2, 2, 2)
        .pixelsStartHere()
        .raw({0, 8, 1, 1, 1});
    EXPECT_TRUE(refused(read(literal.asFile()), kConversionError));

    BmpBuilder topDown;
    topDown.infoHeader(2, -2, 8, 1, 2)
        .quad(1, 1, 1)
        .quad(2, 2, 2)
        .pixelsStartHere()
        .raw({2, 1, 0, 1});
    EXPECT_TRUE(refused(read(topDown.asFile()), kConversionError));
}

// ---- Refusals: one report each ----

// Missing, empty, a folder, a pipe nobody writes to, a device: each an open failure naming the
// file as passed, and none waited for.
TEST(BmpReaderFailures, FilesThatAreMissingEmptyOrNoPlainFilesFailToOpenNamingTheFile)
{
    EXPECT_TRUE(refused(readPath("no/such/Car.bmp"), "Failed to open DIB file Car.bmp."));
    const fs::path empty = fixtures().write({});
    EXPECT_TRUE(
        refused(readPath(empty), "Failed to open DIB file " + empty.filename().string() + "."));
    const fs::path folder = fixtures().path();
    EXPECT_TRUE(
        refused(readPath(folder), "Failed to open DIB file " + folder.filename().string() + "."));

    // Not among the fixtures: those may seed the fuzzer, which must not be handed a pipe.
    struct OwnFolder {
        OwnFolder()
        {
            std::string pattern = (fs::temp_directory_path() / "tarvelo-bmp-XXXXXX").string();
            path = mkdtemp(pattern.data());
        }
        ~OwnFolder() { fs::remove_all(path); }
        fs::path path;
    } own;
    const fs::path pipe = own.path / "Pipe.bmp", device = own.path / "Device.bmp";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", device);
    EXPECT_TRUE(refused(readPath(pipe), "Failed to open DIB file Pipe.bmp."));
    EXPECT_TRUE(refused(readPath(device), "Failed to open DIB file Device.bmp."));
}

// The caller sees the size before anything is decoded or taken, rows counted upwards, and its
// refusal is the reader's answer; a size it takes is still checked against the file's length.
TEST(BmpReaderFailures, TheCallerMayRefuseAPictureByItsSizeAlone)
{
    std::vector<std::pair<int32_t, int32_t>> asked;
    const SizeCheck refuseWide = [&](int32_t width, int32_t height) {
        asked.emplace_back(width, height);
        return width > 1000 ? std::string("too wide") : std::string();
    };
    BmpBuilder huge;  // a few bytes of run-length data announcing 40,000,000 x 1 pixels
    huge.infoHeader(40000000, 1, 8, 1, 2).quad(1, 1, 1).quad(2, 2, 2).pixelsStartHere();
    huge.raw({2, 1, 0, 1});
    EXPECT_TRUE(refused(read(huge.asFile(), refuseWide), "too wide"));

    BmpBuilder topDown;
    topDown.infoHeader(3, -2, 24).pixelsStartHere().row({1, 2, 3, 4, 5, 6, 7, 8, 9});
    topDown.row({1, 2, 3, 4, 5, 6, 7, 8, 9});
    EXPECT_TRUE(decoded(read(topDown.asFile(), refuseWide), 3, 2));

    BmpBuilder cut;  // taken by its size, but the file holds one row of the 40,000,000 pixels
    cut.infoHeader(40000000, 1, 24).pixelsStartHere().row({1, 2, 3});
    EXPECT_TRUE(refused(read(cut.asFile(), [](int32_t, int32_t) { return std::string(); }),
                        kConversionError));

    BmpBuilder broken;  // a layout the reader does not take is never asked about
    broken.infoHeader(4, 4, 7).pixelsStartHere().row({0, 0, 0, 0});
    EXPECT_TRUE(refused(read(broken.asFile(), refuseWide), kConversionError));

    const std::vector<std::pair<int32_t, int32_t>> expected = {{40000000, 1}, {3, 2}};
    EXPECT_EQ(asked, expected);
}

TEST(BmpReaderFailures, HeaderSizesOtherThan12Or40AreUnknownFormats)
{
    for (const uint32_t size : {108u, 124u, 64u, 16u, 52u, 0u}) {
        BmpBuilder bmp;
        bmp.headerOfSize(std::max(size, 40u), 1, 1, 24).pixelsStartHere().row({1, 2, 3});
        std::vector<uint8_t> file = bmp.asFile();
        file[14] = static_cast<uint8_t>(size);
        EXPECT_TRUE(refused(read(file), kUnknownFormat)) << size;
    }
    // An OS/2 bitmap array starts "BA": read as a bare DIB, its first 32 bits are no header size.
    BmpBuilder array;
    array.u8('B').u8('A').u32(40).infoHeader(1, 1, 24).row({1, 2, 3});
    EXPECT_TRUE(refused(read(array.asBareDib()), kUnknownFormat));
}

// Every cut of a file before its last pixel is refused without reading past its end; only the
// last row's padding may be missing.
TEST(BmpReaderFailures, FilesShorterThanTheyAnnounceAreRefused)
{
    BmpBuilder bmp;
    bmp.infoHeader(3, 2, 8, 0, 4);
    addPalette(bmp, 4).pixelsStartHere().row({0, 1, 2}).row({3, 2, 1});
    const std::vector<uint8_t> whole = bmp.asFile();
    for (size_t length = 1; length < whole.size() - 1; ++length) {
        const std::vector<uint8_t> cut(whole.begin(),
                                       whole.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_TRUE(refused(read(cut), kConversionError))
            << length << " of " << whole.size() << " bytes";
    }
    const std::vector<uint8_t> noLastPadding(whole.begin(), whole.end() - 1);
    EXPECT_TRUE(decoded(read(noLastPadding), 3, 2));

    std::vector<uint8_t> pastTheEnd = bmp.asFile(static_cast<uint32_t>(whole.size()) + 100);
    EXPECT_TRUE(refused(read(pastTheEnd), kConversionError)) << "bfOffBits beyond the file";

    BmpBuilder hugeTable;  // a colour count that runs far past the end of the file
    hugeTable.infoHeader(1, 1, 8, 0, 0x1234).quad(1, 2, 3).pixelsStartHere().row({0});
    EXPECT_TRUE(refused(read(hugeTable.asFile()), kConversionError));
}

TEST(BmpReaderFailures, HostileSizesAreRefused)
{
    struct Size {
        int32_t width, height;
    };
    for (const Size size :
         {Size{0, 1}, Size{1, 0}, Size{-4, 1}, Size{INT32_MAX, INT32_MAX},
          Size{INT32_MAX, INT32_MIN}, Size{1, INT32_MIN}, Size{16384, 16384}, Size{65536, 65536}}) {
        BmpBuilder bmp;
        bmp.infoHeader(size.width, size.height, 24).pixelsStartHere().row({1, 2, 3});
        EXPECT_TRUE(refused(read(bmp.asFile()), kConversionError))
            << size.width << " x " << size.height;
    }
    BmpBuilder lyingSize;  // a huge biSizeImage is never trusted
    lyingSize.infoHeader(1, 1, 24, 0, 0, 0x7EEEEEEE).pixelsStartHere().row({1, 2, 3});
    EXPECT_TRUE(decoded(read(lyingSize.asFile()), 1, 1));
}

// The output may take up to 256 MiB: a complete 1-bit file just below decodes, one just above
// is refused.
TEST(BmpReaderFailures, OutputIsLimitedTo256MiB)
{
    constexpr int32_t kWidth = 8192;
    for (const int32_t height :
         {10922, 10923}) {  // 8192 x 10922 x 3 bytes fit, one more row does not
        BmpBuilder bmp;
        bmp.infoHeader(kWidth, height, 1).quad(0, 0, 0).quad(255, 255, 255).pixelsStartHere();
        const std::vector<uint8_t> rowBytes(kWidth / 8, 0x80);
        for (int32_t row = 0; row < height; ++row)
            bmp.row(rowBytes);
        const Outcome outcome = read(bmp.asFile());
        if (height == 10922) {
            ASSERT_TRUE(decoded(outcome, kWidth, height));
            EXPECT_EQ(pixelAt(outcome, 8, height - 1), (Rgb{255, 255, 255}));
            EXPECT_EQ(pixelAt(outcome, kWidth - 1, height - 1), (Rgb{0, 0, 0}));
        } else {
            EXPECT_TRUE(refused(outcome, kConversionError));
        }
    }
}

TEST(BmpReaderFailures, LayoutsTheGameDoesNotTakeAreConversionErrors)
{
    struct Layout {
        uint16_t bits;
        uint32_t compression;
    };
    for (const Layout layout :
         {Layout{0, 0}, Layout{2, 0}, Layout{64, 0}, Layout{30000, 0}, Layout{24, 4}, Layout{24, 5},
          Layout{32, 6}, Layout{8, 2}, Layout{4, 1}, Layout{24, 3}, Layout{8, 3}, Layout{8, 99}}) {
        BmpBuilder bmp;
        bmp.infoHeader(1, 1, layout.bits, layout.compression, 2).quad(0, 0, 0).quad(1, 1, 1);
        bmp.masks(0xF800, 0x07E0, 0x001F).pixelsStartHere().raw(std::vector<uint8_t>(64, 0));
        EXPECT_TRUE(refused(read(bmp.asFile()), kConversionError))
            << layout.bits << " bits, " << layout.compression;
    }
}

// ---- The game's own ten pictures ----

TEST(ShippedTextures, TenPicturesWithPowerOfTwoSidesInFourLayoutsOrMore)
{
    std::set<std::tuple<uint32_t, unsigned, uint32_t>> layouts;  // header size, bits, compression
    for (const char* name : textureFiles) {                      // the files the game reads
        SCOPED_TRACE(name);
        const std::string path = std::string(TARVELO_DATA_DIR) + "/" + name;
        const Outcome outcome = readPath(path);
        ASSERT_TRUE(outcome.image) << outcome.errors;
        EXPECT_EQ(outcome.errors, "");
        for (const int32_t side : {outcome.image->width, outcome.image->height}) {
            EXPECT_GE(side, 64);
            EXPECT_LE(side, 256);
            EXPECT_EQ(side & (side - 1), 0) << side << " is no power of two";
        }
        std::ifstream in(path, std::ios::binary);
        std::vector<unsigned char> head(34, 0);
        in.read(reinterpret_cast<char*>(head.data()), 34);
        const uint32_t headerSize = head[14];
        const unsigned bits = headerSize == 12 ? head[24] : head[28];
        const uint32_t compression = headerSize == 12 ? 0 : head[30];
        layouts.insert({headerSize, bits, compression});
    }
    EXPECT_GE(layouts.size(), 4u);
}

// ---- The public BMP test suite ----

struct SuiteCase {
    std::string file;
    enum { kDecode, kRefuse, kEither } expect;
    std::string message;                  // the refusal expected
    std::vector<std::string> references;  // pictures, any of which the output must match
    int tolerance = 0;                    // per channel
};

// The cells of one table row of the index, trimmed: "| a | b |" gives {"a", "b"}.
std::vector<std::string> cellsOf(const std::string& line)
{
    std::vector<std::string> cells;
    std::stringstream row(line.substr(1));
    std::string cell;
    while (std::getline(row, cell, '|')) {
        const size_t first = cell.find_first_not_of(' '), last = cell.find_last_not_of(' ');
        cells.push_back(first == std::string::npos ? "" : cell.substr(first, last - first + 1));
    }
    return cells;
}

// The text between the first pair of double quotes.
std::string quotedIn(const std::string& text)
{
    const size_t open = text.find('"'), close = text.find('"', open + 1);
    return open == std::string::npos || close == std::string::npos
               ? ""
               : text.substr(open + 1, close - open - 1);
}

// Columns: file, bytes, header size, bits, compression, top-down, size, colours, offset, expected,
// notes.
std::vector<SuiteCase> readSuiteIndex(const fs::path& folder)
{
    std::vector<SuiteCase> cases;
    std::ifstream index(folder / "INDEX.md");
    std::string line;
    while (std::getline(index, line)) {
        if (line.size() < 4 || line[0] != '|' || line.find(".bmp |") == std::string::npos)
            continue;
        const std::vector<std::string> cells = cellsOf(line);
        if (cells.size() < 11 || std::string("gqbx").find(cells[0][0]) == std::string::npos ||
            cells[0][1] != '/')
            continue;
        SuiteCase c;
        c.file = cells[0];
        const std::string& bitCount = cells[3];
        const std::string& expected = cells[9];
        if (expected.rfind("optional:", 0) == 0 && bitCount == "2") {
            c.expect = SuiteCase::kRefuse;  // the one optional layout the game does not take
            c.message = kConversionError;
        } else if (expected.rfind("refuse:", 0) == 0) {
            c.expect = SuiteCase::kRefuse;
            c.message = quotedIn(expected);
        } else if (expected.rfind("if RLE unsupported", 0) == 0) {
            c.expect = SuiteCase::kEither;  // overrun attempts: any outcome without a fault
        } else {
            c.expect = SuiteCase::kDecode;
            const size_t at = expected.find("ref/");
            if (at != std::string::npos) {
                const size_t end = expected.find(".png", at);
                std::string name = expected.substr(at + 4, end - at - 4);
                if (!name.empty() && name.back() == '*') {  // "any of ref/name*.png"
                    name.pop_back();
                    for (const fs::directory_entry& entry : fs::directory_iterator(folder / "ref"))
                        if (entry.path().filename().string().rfind(name, 0) == 0)
                            c.references.push_back(entry.path().string());
                } else {
                    c.references.push_back((folder / "ref" / (name + ".png")).string());
                }
            }
            if (expected.find("+-1") != std::string::npos ||
                expected.find("approx") != std::string::npos)
                c.tolerance = 1;
        }
        cases.push_back(c);
    }
    return cases;
}

// How far the output lies from a reference picture (stored top row first): the largest channel
// difference, or -1 when the sizes differ or the picture cannot be read.
int differenceFrom(const DecodedImage& image, const std::string& referencePath)
{
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, referencePath.c_str()))
        return -1;
    // 16-bit references (of the wide bit fields) are read as they are and rounded to 8 bits here:
    // libpng would take them for linear light and convert them.
    const bool wide = (png.format & PNG_FORMAT_FLAG_LINEAR) != 0;
    png.format = wide ? PNG_FORMAT_LINEAR_RGB_ALPHA : PNG_FORMAT_RGBA;
    std::vector<uint16_t> wideRgba(wide ? PNG_IMAGE_SIZE(png) / 2 : 0);
    std::vector<unsigned char> rgba(wide ? PNG_IMAGE_SIZE(png) / 2 : PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(
            &png, nullptr, wide ? static_cast<void*>(wideRgba.data()) : rgba.data(), 0, nullptr))
        return -1;
    for (size_t i = 0; i < wideRgba.size(); ++i)
        rgba[i] = static_cast<unsigned char>((wideRgba[i] * 255u + 32767u) / 65535u);
    if (static_cast<int32_t>(png.width) != image.width ||
        static_cast<int32_t>(png.height) != image.height)
        return -1;
    int worst = 0;
    for (int32_t row = 0; row < image.height; ++row)
        for (int32_t x = 0; x < image.width; ++x)
            for (int channel = 0; channel < 3; ++channel) {
                const int ours =
                    image.pixels[(static_cast<size_t>(row) * image.width + x) * 3 + channel];
                const int theirs =
                    rgba[((static_cast<size_t>(image.height - 1 - row)) * image.width + x) * 4 +
                         channel];
                worst = std::max(worst, std::abs(ours - theirs));
            }
    return worst;
}

TEST(BmpSuite, EveryFileIsReadAsTheSuiteIndexSays)
{
    const fs::path folder = TARVELO_BMPSUITE_DIR;
    if (!fs::exists(folder / "INDEX.md"))
        GTEST_SKIP() << "no BMP suite at " << folder;
    const std::vector<SuiteCase> cases = readSuiteIndex(folder);
    ASSERT_EQ(cases.size(), 91u) << "the index lists 91 files";
    int decodedCount = 0;
    for (const SuiteCase& c : cases) {
        SCOPED_TRACE(c.file);
        const Outcome outcome = readPath(folder / c.file);
        if (c.expect == SuiteCase::kRefuse) {
            EXPECT_TRUE(refused(outcome, c.message));
            continue;
        }
        if (c.expect == SuiteCase::kEither) {
            if (!outcome.image) {
                EXPECT_TRUE(refused(outcome, kConversionError));
            }
            continue;
        }
        ASSERT_TRUE(outcome.image) << outcome.errors;
        EXPECT_EQ(outcome.errors, "");
        ++decodedCount;
        if (c.references.empty())
            continue;
        int best = -1;
        for (const std::string& reference : c.references) {
            const int difference = differenceFrom(*outcome.image, reference);
            if (difference >= 0 && (best < 0 || difference < best))
                best = difference;
        }
        EXPECT_GE(best, 0) << "no reference of the same size";
        EXPECT_LE(best, c.tolerance) << "channels differ from the reference by up to " << best;
    }
    EXPECT_GE(decodedCount, 50);
}

}  // namespace
