// The stretchers and picture transfers against real memory device contexts.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>
#include <string>

#include "pseudo/PictureReader.h"
#include "scale/Stretcher.h"
#include "rules/Rule.h"
#include "tools/MemorySurface.h"

using namespace quillora;
using quillora::test_support::MemorySurface;
using quillora::test_support::Picture;
using quillora::test_support::ReferenceBoxScale;

namespace {

constexpr COLORREF kPicture = RGB(0x33, 0x66, 0x99);
constexpr COLORREF kBackground = RGB(1, 2, 3);

// Describes the first pixel that breaks "colour inside (0, 0)-(w, h),
// kBackground elsewhere", or returns an empty text.
std::string FirstMismatch(const MemorySurface& surface, COLORREF colour, int w, int h) {
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            const COLORREF expected = x < w && y < h ? colour : kBackground;
            const COLORREF seen = GetPixel(surface.dc(), x, y);
            if (seen != expected)
                return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(seen);
        }
    }
    return {};
}

struct Case {
    int sw, sh, dw, dh;
};

void ExpectExactFill(Stretcher& stretcher, const Case& c) {
    SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x" +
                 std::to_string(c.dh));
    MemorySurface original(c.sw, c.sh, MemorySurface::DibSection);
    MemorySurface back(c.dw + 6, c.dh + 4, MemorySurface::ScreenCompatible);
    ASSERT_TRUE(original.valid() && back.valid());
    original.Fill(kPicture);
    back.Fill(kBackground);
    stretcher.Stretch(back.dc(), c.dw, c.dh, original.dc(), c.sw, c.sh);
    EXPECT_EQ(FirstMismatch(back, kPicture, c.dw, c.dh), "");
}

const Case kCases[] = {{64, 48, 16, 12}, {10, 10, 25, 15}, {1, 1, 7, 5}, {9, 7, 9, 7}};

}  // namespace

TEST(Stretcher, QualityFillsExactlyTheDestinationRectangleWithTheColour) {
    QualityStretcher stretcher;
    for (const Case& c : kCases) ExpectExactFill(stretcher, c);
}

TEST(Stretcher, SpeedFillsExactlyTheDestinationRectangleWithTheColour) {
    SpeedStretcher stretcher;
    for (const Case& c : kCases) ExpectExactFill(stretcher, c);
}

TEST(Stretcher, AnEmptyOrUnreadableSourceKeepsThePreviousPicture) {
    MemorySurface original(1, 1, MemorySurface::DibSection);
    MemorySurface back(8, 6, MemorySurface::ScreenCompatible);
    back.Fill(kBackground);
    // An empty original is nothing to report; a context that cannot be read
    // (its window vanished) is a failure the caller logs.
    EXPECT_TRUE(QualityStretcher().Stretch(back.dc(), 8, 6, original.dc(), 0, 0));
    EXPECT_FALSE(QualityStretcher().Stretch(back.dc(), 8, 6, nullptr, 16, 12));
    EXPECT_FALSE(SpeedStretcher().Stretch(back.dc(), 8, 6, nullptr, 16, 12));
    EXPECT_EQ(FirstMismatch(back, kBackground, 8, 6), "");
}

TEST(Stretcher, DrawMethodPicksTheStrategy) {
    EXPECT_NE(dynamic_cast<SpeedStretcher*>(MakeStretcher(SpeedPriority).get()), nullptr);
    EXPECT_NE(dynamic_cast<QualityStretcher*>(MakeStretcher(QualityPriority).get()), nullptr);
}

TEST(Stretcher, QualityShowsTheFormulasPictureFrameAfterFrameAndAcrossSizes) {
    // Originals wide enough to be copied in several strips, a new picture
    // in every frame, and a size change of each side in between.
    std::mt19937 random(99);
    QualityStretcher stretcher;
    for (const Case& c :
         {Case{900, 400, 97, 41}, Case{900, 400, 97, 41}, Case{1700, 333, 400, 81}, Case{41, 23, 60, 30}}) {
        SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x" +
                     std::to_string(c.dh));
        MemorySurface original(c.sw, c.sh, MemorySurface::ScreenCompatible);
        MemorySurface back(c.dw, c.dh, MemorySurface::ScreenCompatible);
        ASSERT_TRUE(original.valid() && back.valid());
        Picture noise(c.sw, c.sh);
        for (std::uint32_t& pixel : noise.pixels) pixel = random() & 0xFFFFFF;
        original.Write(noise);
        stretcher.Stretch(back.dc(), c.dw, c.dh, original.dc(), c.sw, c.sh);
        Picture expected(c.dw, c.dh);
        ReferenceBoxScale(original.Read(), expected);
        EXPECT_TRUE(back.Read() == expected);
    }
}

TEST(ImageBufferTake, ReadsTopDownCoordinatesAndDrawsBack) {
    MemorySurface canvas(3, 2, MemorySurface::ScreenCompatible);
    canvas.Fill(kBackground);
    SetPixel(canvas.dc(), 0, 0, RGB(0x10, 0x20, 0x30));
    ImageBuffer image;
    ASSERT_TRUE(image.Take(3, 2, canvas.dc()));
    EXPECT_EQ(image.ReadPixel(0, 0) & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(image.ReadPixel(0, 1) & 0xFFFFFF, 0x010203u);

    image.WritePixel(2, 1, 0x00A0B0C0);
    EXPECT_TRUE(image.Draw(canvas.dc(), 3, 2));
    EXPECT_EQ(GetPixel(canvas.dc(), 2, 1), RGB(0xA0, 0xB0, 0xC0));
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 0), RGB(0x10, 0x20, 0x30));
}

TEST(ImageBufferTake, EmptySizeGivesAnEmptyPictureAndOutsideIsRefused) {
    MemorySurface canvas(2, 2, MemorySurface::ScreenCompatible);
    ImageBuffer image;
    EXPECT_TRUE(image.Take(0, 5, canvas.dc()));
    EXPECT_EQ(image.Row(0), nullptr);
    EXPECT_FALSE(image.Draw(canvas.dc(), 2, 2));

    ASSERT_TRUE(image.Resize(2, 2));
    for (auto [x, y] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 2}}) {
        EXPECT_EQ(image.PixelAddress(x, y), nullptr);
        EXPECT_EQ(image.ReadPixel(x, y), 0u);
        image.WritePixel(x, y, 9);
    }
    image.Release();
    EXPECT_EQ(image.PixelAddress(0, 0), nullptr);
}

// Black is judged on the colour alone: a compositor-drawn window read through
// its DC comes back black with the top byte 0 or 255; one dim pixel anywhere,
// the last row's last included, is a picture.
TEST(ImageBufferTake, BlackIgnoresTheTopByteAndSeesOneDimPixelAnywhere) {
    ImageBuffer image;
    EXPECT_FALSE(image.IsBlack()) << "nothing to judge";
    ASSERT_TRUE(image.Resize(7, 5));
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) image.WritePixel(x, y, (x + y) % 2 ? 0xFF000000u : 0u);
    }
    EXPECT_TRUE(image.IsBlack());
    image.WritePixel(6, 4, 0xFF000001u);
    EXPECT_FALSE(image.IsBlack());
}
