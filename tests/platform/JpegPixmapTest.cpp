#include "platform/qt/JpegPixmap.h"
#include "tests/support/JpegEncoder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

using tmt::test::AsBytes;
using tmt::test::EncodeUniformJpeg;
using tmt::ui::LoadJpegImage;

const std::vector<std::uint8_t> kOrange = {255, 128, 0};

TEST(JpegPixmapTest, ToQImageCopiesPackedRowsIntoQtsPaddedOnes) {
    // Five pixels a row: 15 bytes, which Qt pads to 16.
    tmt::RgbImage image{5, 2, {}};
    for (int i = 0; i < 10; ++i) {
        image.pixels.insert(image.pixels.end(),
                            {static_cast<std::uint8_t>(i * 20), static_cast<std::uint8_t>(i), 7});
    }
    const QImage copy = tmt::ui::ToQImage(image);
    image.pixels.assign(image.pixels.size(), 0);

    ASSERT_EQ(copy.format(), QImage::Format_RGB888);
    ASSERT_EQ(copy.size(), QSize(5, 2));
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(copy.pixel(i % 5, i / 5), qRgb(i * 20, i, 7)) << "pixel " << i;
    }
}

TEST(JpegPixmapTest, LoadedPicturesAreFittedToTheBoxKeepingTheirProportions) {
    const tmt::test::TempDir dir;
    const struct {
        int width, height;
        QSize fit, loaded;
    } cases[] = {
        {800, 600, QSize(100, 100), QSize(100, 75)},
        {300, 900, QSize(100, 100), QSize(33, 100)},
        {40, 20, QSize(100, 100), QSize(100, 50)},
        {40, 20, QSize(), QSize(40, 20)},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(testing::Message() << test.width << "x" << test.height);
        const std::string jpeg = EncodeUniformJpeg(test.width, test.height, kOrange);
        tmt::test::WriteFile(dir.Path() / "picture.jpg", jpeg);
        for (const QImage& image : {LoadJpegImage((dir.Path() / "picture.jpg").string(), test.fit),
                                    LoadJpegImage(AsBytes(jpeg), test.fit)}) {
            EXPECT_EQ(image.size(), test.loaded);
            const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
            EXPECT_NEAR(centre.red(), 255, 8);
            EXPECT_NEAR(centre.green(), 128, 8);
            EXPECT_NEAR(centre.blue(), 0, 8);
        }
    }
}

TEST(JpegPixmapTest, APictureThatACrashCutOffIsFinishedBeforeItIsShown) {
    const tmt::test::TempDir dir;
    const auto picture = dir.Path() / "avatar.jpg";
    const std::string old = EncodeUniformJpeg(40, 20, kOrange);
    const std::string now = EncodeUniformJpeg(80, 40, kOrange);
    // As the crash left it: the journal whole, the picture's first part new and the rest old.
    tmt::test::WriteFile(picture,
                         now.substr(0, 100) + old.substr(std::min<std::size_t>(old.size(), 100)));
    std::filesystem::create_hard_link(picture, dir.Path() / "other.jpg");
    tmt::test::WriteFile(dir.Path() / ".avatar.jpg.journal",
                         "TuneMora rewrite journal 1\n" + std::to_string(now.size()) + " " +
                             std::to_string(old.size()) + "\n" + now + old);
    EXPECT_EQ(LoadJpegImage(picture.string()).size(), QSize(80, 40));
    EXPECT_EQ(tmt::test::ReadFile(dir.Path() / "other.jpg"), now);
}

TEST(JpegPixmapTest, UndecodablePicturesGiveANullImage) {
    const tmt::test::TempDir dir;
    tmt::test::WriteFile(dir.Path() / "not.jpg", "not a picture");
    EXPECT_TRUE(LoadJpegImage((dir.Path() / "not.jpg").string(), QSize(100, 100)).isNull());
    EXPECT_TRUE(LoadJpegImage((dir.Path() / "missing.jpg").string()).isNull());
    EXPECT_TRUE(LoadJpegImage(std::span<const std::uint8_t>()).isNull());
}

} // namespace
