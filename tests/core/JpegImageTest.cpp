#include "core/JpegImage.h"
#include "platform/FileSystem.h"
#include "tests/support/JpegEncoder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>

namespace {

using tmt::DecodeJpeg;
using tmt::RgbImage;
using tmt::test::AsBytes;
using tmt::test::EncodeJpeg;
using tmt::test::EncodeUniformJpeg;
using tmt::test::JpegColour;
using tmt::test::JpegOptions;
using tmt::test::WithDimensions;

using Sample = std::vector<std::uint8_t>;
using Rgb = std::array<int, 3>;

// A picture of four quadrants, one sample each: top left, top right, bottom left, bottom right.
std::string Quadrants(int width, int height, const std::array<Sample, 4>& quadrant,
                      const JpegOptions& options) {
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Sample& sample = quadrant[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
            samples.insert(samples.end(), sample.begin(), sample.end());
        }
    }
    return EncodeJpeg(width, height, samples, options);
}

Rgb PixelAt(const RgbImage& image, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
    return {image.pixels[at], image.pixels[at + 1], image.pixels[at + 2]};
}

void ExpectQuadrants(const RgbImage& image, const std::array<Rgb, 4>& expected) {
    ASSERT_EQ(image.pixels.size(), static_cast<std::size_t>(image.width) * image.height * 3);
    const int left = image.width / 4, right = image.width * 3 / 4;
    const int top = image.height / 4, bottom = image.height * 3 / 4;
    const std::array<Rgb, 4> found = {PixelAt(image, left, top), PixelAt(image, right, top),
                                      PixelAt(image, left, bottom), PixelAt(image, right, bottom)};
    for (std::size_t q = 0; q < 4; ++q) {
        for (std::size_t c = 0; c < 3; ++c) {
            EXPECT_NEAR(found[q][c], expected[q][c], 12)
                << "quadrant " << q << " channel " << c << " of " << image.width << "x"
                << image.height;
        }
    }
}

const std::array<Sample, 4> kRgbQuadrants = {Sample{255, 0, 0}, Sample{0, 255, 0},
                                             Sample{0, 0, 255}, Sample{255, 255, 255}};
const std::array<Rgb, 4> kRgbSeen = {Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255},
                                     Rgb{255, 255, 255}};
// Ink for red, green and blue, and half black.
const std::array<Sample, 4> kCmykQuadrants = {Sample{0, 255, 255, 0}, Sample{255, 0, 255, 0},
                                              Sample{255, 255, 0, 0}, Sample{0, 0, 0, 128}};
const std::array<Rgb, 4> kCmykSeen = {Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255},
                                      Rgb{127, 127, 127}};
const std::array<Sample, 4> kGreyQuadrants = {Sample{0}, Sample{85}, Sample{170}, Sample{255}};
const std::array<Rgb, 4> kGreySeen = {Rgb{0, 0, 0}, Rgb{85, 85, 85}, Rgb{170, 170, 170},
                                      Rgb{255, 255, 255}};

struct ColourCase {
    const char* name;
    JpegOptions options;
    const std::array<Sample, 4>& samples;
    const std::array<Rgb, 4>& seen;
};

TEST(JpegImageTest, EveryColourLayoutDecodesToItsColoursAtFullAndReducedScale) {
    const ColourCase cases[] = {
        {"baseline YCbCr", {.colour = JpegColour::YCbCr}, kRgbQuadrants, kRgbSeen},
        {"progressive YCbCr",
         {.colour = JpegColour::YCbCr, .progressive = true},
         kRgbQuadrants,
         kRgbSeen},
        {"arithmetic with restarts",
         {.colour = JpegColour::YCbCr, .arithmetic = true, .restartRows = 1},
         kRgbQuadrants,
         kRgbSeen},
        {"RGB stored", {.colour = JpegColour::Rgb}, kRgbQuadrants, kRgbSeen},
        {"grayscale", {.colour = JpegColour::Grayscale}, kGreyQuadrants, kGreySeen},
        {"progressive grayscale",
         {.colour = JpegColour::Grayscale, .progressive = true},
         kGreyQuadrants,
         kGreySeen},
        {"Adobe CMYK", {.colour = JpegColour::AdobeCmyk}, kCmykQuadrants, kCmykSeen},
        {"progressive Adobe CMYK",
         {.colour = JpegColour::AdobeCmyk, .progressive = true},
         kCmykQuadrants,
         kCmykSeen},
        {"Adobe YCCK", {.colour = JpegColour::AdobeYcck}, kCmykQuadrants, kCmykSeen},
        {"CMYK without Adobe marker", {.colour = JpegColour::PlainCmyk}, kCmykQuadrants, kCmykSeen},
    };
    for (const ColourCase& test : cases) {
        SCOPED_TRACE(test.name);
        const std::string jpeg = Quadrants(64, 48, test.samples, test.options);

        const auto full = DecodeJpeg(AsBytes(jpeg));
        ASSERT_TRUE(full.has_value());
        EXPECT_EQ(full->width, 64);
        EXPECT_EQ(full->height, 48);
        ExpectQuadrants(*full, test.seen);

        const auto reduced = DecodeJpeg(AsBytes(jpeg), 16, 16);
        ASSERT_TRUE(reduced.has_value());
        EXPECT_EQ(reduced->width, 16);
        EXPECT_EQ(reduced->height, 12);
        ExpectQuadrants(*reduced, test.seen);
    }
}

struct ScaleCase {
    int width, height, fitWidth, fitHeight, decodedWidth, decodedHeight;
};

TEST(JpegImageTest, AFitBoxChoosesTheSmallestScaleThatStillCoversTheLimitingSide) {
    const ScaleCase cases[] = {
        {800, 600, 100, 100, 100, 75},    // 1/8, width limits
        {600, 800, 100, 100, 75, 100},    // 1/8, height limits
        {800, 600, 300, 100, 200, 150},   // 2/8, height limits
        {800, 600, 150, 150, 200, 150},   // 2/8: 1/8 would give 100 < 150
        {801, 601, 100, 100, 101, 76},    // sides round up, as libjpeg rounds them
        {800, 600, 799, 599, 800, 600},   // 8/8: 7/8 would give 700 < 799
        {800, 600, 800, 600, 800, 600},   // the picture is the box
        {50, 40, 100, 100, 100, 80},      // 16/8: small pictures are enlarged by the DCT
        {30, 30, 100, 100, 60, 60},       // 16/8 is the largest scale
        {800, 600, 0, 0, 800, 600},       // no box
        {800, 600, 100, 0, 800, 600},     // half a box is no box
        {6000, 4000, 100, 100, 750, 500}, // a 24-megapixel photo for an avatar
    };
    for (const ScaleCase& test : cases) {
        SCOPED_TRACE(testing::Message() << test.width << "x" << test.height << " into "
                                        << test.fitWidth << "x" << test.fitHeight);
        const std::string jpeg =
            EncodeUniformJpeg(test.width, test.height, {128}, {.colour = JpegColour::Grayscale});
        const auto image = DecodeJpeg(AsBytes(jpeg), test.fitWidth, test.fitHeight);
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->width, test.decodedWidth);
        EXPECT_EQ(image->height, test.decodedHeight);
        EXPECT_EQ(image->pixels.size(), static_cast<std::size_t>(image->width) * image->height * 3);
    }
}

std::string RandomBytes(std::size_t count, std::uint32_t seed) {
    std::mt19937 engine(seed);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(engine() & 0xFF);
    }
    return bytes;
}

TEST(JpegImageTest, BadInputsFailCleanlyAndQuietly) {
    const std::string baseline = Quadrants(64, 48, kRgbQuadrants, {});
    const std::string progressive = Quadrants(64, 48, kRgbQuadrants, {.progressive = true});
    const std::string headerEnd = baseline.substr(0, baseline.find("\xFF\xDA"));
    const std::string png =
        std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x40\0\0\0\x30", 24) + RandomBytes(64, 3);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"start marker only", baseline.substr(0, 2)},
        {"cut inside the headers", baseline.substr(0, headerEnd.size() / 2)},
        {"cut after the headers", headerEnd},
        {"cut inside the scan", baseline.substr(0, baseline.size() / 2)},
        {"cut before the end marker", baseline.substr(0, baseline.size() - 2)},
        {"progressive cut in an early scan", progressive.substr(0, progressive.size() / 3)},
        {"progressive cut in the last scan", progressive.substr(0, progressive.size() - 8)},
        {"PNG bytes", png},
        {"random bytes", RandomBytes(4096, 1)},
        {"random bytes after a start marker", "\xFF\xD8" + RandomBytes(4096, 2)},
        {"zero width claimed", WithDimensions(baseline, 0, 48)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        testing::internal::CaptureStderr();
        tmt::JpegRefusal refusal;
        EXPECT_FALSE(DecodeJpeg(AsBytes(test.bytes), 0, 0, &refusal).has_value());
        EXPECT_FALSE(refusal.tooLarge) << "unreadable, not too large";
        EXPECT_FALSE(DecodeJpeg(AsBytes(test.bytes), 100, 100, &refusal).has_value());
        EXPECT_FALSE(refusal.tooLarge) << "unreadable, not too large";
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

TEST(JpegImageTest, TheLimitIsOnDecodedMemoryNotOnTheHeadersSize) {
    // Over 100 megapixels, loaded because it is scaled down on decoding.
    const JpegOptions grey = {.colour = JpegColour::Grayscale, .quality = 10};
    const std::string huge = EncodeUniformJpeg(10001, 10000, {128}, grey);
    const auto scaled = DecodeJpeg(AsBytes(huge), 100, 100);
    ASSERT_TRUE(scaled.has_value());
    EXPECT_EQ(scaled->width, 1251);
    EXPECT_EQ(scaled->height, 1250);
    EXPECT_EQ(PixelAt(*scaled, 600, 600), (Rgb{128, 128, 128}));

    // Pictures whose decoding would hold gigabytes are refused, quietly, as too large, with
    // their size: 1.2 GB of pixels at its own size, and a progressive photo of 200 megapixels,
    // whose coefficients libjpeg keeps for the whole picture whatever the output scale. The
    // headers of small files claim those sizes: the decoder stops before it reads any pixel.
    const std::string progressive = Quadrants(64, 48, kRgbQuadrants, {.progressive = true});
    const struct {
        const char* name;
        std::string bytes;
        int fit;
        int width;
        int height;
    } cases[] = {
        {"20000x20000 at its own size", WithDimensions(huge, 20000, 20000), 0, 20000, 20000},
        {"progressive 16384x12288 for an avatar", WithDimensions(progressive, 16384, 12288), 100,
         16384, 12288},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.name);
        testing::internal::CaptureStderr();
        tmt::JpegRefusal refusal;
        EXPECT_FALSE(DecodeJpeg(AsBytes(test.bytes), test.fit, test.fit, &refusal).has_value());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        EXPECT_TRUE(refusal.tooLarge);
        EXPECT_EQ(refusal.width, test.width);
        EXPECT_EQ(refusal.height, test.height);
    }
}

TEST(JpegImageTest, StrayBytesBetweenMarkersOnlyWarnAndTheWarningStaysQuiet) {
    const std::string jpeg = Quadrants(64, 48, kRgbQuadrants, {});
    const std::string stray = jpeg.substr(0, jpeg.size() - 2) + "\x12\x34\x56" + "\xFF\xD9";
    testing::internal::CaptureStderr();
    const auto image = DecodeJpeg(AsBytes(stray));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(image.has_value());
    ExpectQuadrants(*image, kRgbSeen);
}

TEST(JpegImageTest, ProgressiveFilesOfVeryManyScansAreRefused) {
    const std::string greyScans = Quadrants(
        32, 32, kGreyQuadrants, {.colour = JpegColour::Grayscale, .scanPerCoefficient = true});
    const std::string colourScans = Quadrants(32, 32, kRgbQuadrants, {.scanPerCoefficient = true});
    EXPECT_TRUE(DecodeJpeg(AsBytes(greyScans)).has_value()) << "64 scans";
    EXPECT_FALSE(DecodeJpeg(AsBytes(colourScans)).has_value()) << "190 scans";
    EXPECT_FALSE(DecodeJpeg(AsBytes(colourScans), 8, 8).has_value()) << "190 scans";
}

std::optional<RgbImage> DecodeJpegFile(const std::filesystem::path& path, int fit = 0) {
    const tmt::platform::FileHandle file =
        tmt::platform::OpenFileForReading(tmt::test::Utf8Of(path));
    return tmt::DecodeJpegFile(file.get(), fit, fit);
}

TEST(JpegImageTest, FilesDecodeAsTheirBytesDoAndUnreadableOnesFail) {
    const tmt::test::TempDir dir;
    const std::string jpeg = Quadrants(64, 48, kCmykQuadrants, {.colour = JpegColour::AdobeCmyk});
    const std::filesystem::path accented = dir.Path() / tmt::test::PathFromUtf8("p\u00e9.jpg");
    tmt::test::WriteFile(accented, jpeg);
    const auto fromFile = DecodeJpegFile(accented, 16);
    const auto fromBytes = DecodeJpeg(AsBytes(jpeg), 16, 16);
    ASSERT_TRUE(fromFile.has_value());
    ASSERT_TRUE(fromBytes.has_value());
    EXPECT_EQ(fromFile->width, fromBytes->width);
    EXPECT_EQ(fromFile->height, fromBytes->height);
    EXPECT_EQ(fromFile->pixels, fromBytes->pixels);

    tmt::test::WriteFile(dir.Path() / "empty.jpg", "");
    tmt::test::WriteFile(dir.Path() / "cut.jpg", jpeg.substr(0, jpeg.size() / 2));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(DecodeJpegFile(dir.Path() / "missing.jpg").has_value());
    EXPECT_FALSE(DecodeJpegFile(dir.Path()).has_value()) << "a folder";
    EXPECT_FALSE(DecodeJpegFile(dir.Path() / "empty.jpg").has_value());
    EXPECT_FALSE(DecodeJpegFile(dir.Path() / "cut.jpg", 100).has_value());
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

} // namespace
