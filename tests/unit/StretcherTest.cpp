// The stretchers and picture transfers against real memory device contexts.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "pseudo/Stretcher.h"
#include "rules/Rule.h"
#include "win/Handles.h"

using namespace quillora;

namespace {

constexpr COLORREF kPicture = RGB(0x33, 0x66, 0x99);
constexpr COLORREF kBackground = RGB(1, 2, 3);

// A memory context with its own bitmap: a DIB section for the "original", a
// screen-compatible bitmap like a pseudo window's back buffer otherwise.
class Canvas {
public:
    Canvas(int width, int height, bool dibSection) : width_(width), height_(height) {
        win::WindowDC screen(nullptr);
        dc_.reset(CreateCompatibleDC(screen.get()));
        if (dibSection) {
            BITMAPINFO info{};
            info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
            info.bmiHeader.biWidth = width;
            info.bmiHeader.biHeight = -height;
            info.bmiHeader.biPlanes = 1;
            info.bmiHeader.biBitCount = 32;
            info.bmiHeader.biCompression = BI_RGB;
            void* bits = nullptr;
            bitmap_.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        } else {
            bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
        }
        selected_.emplace(dc_.get(), bitmap_.get());
    }

    HDC dc() const { return dc_.get(); }
    bool valid() const { return dc_ && bitmap_; }

    void Fill(COLORREF colour) {
        win::Brush brush(CreateSolidBrush(colour));
        const RECT all{0, 0, width_, height_};
        FillRect(dc_.get(), &all, brush.get());
    }

    // Describes the first pixel that breaks "colour inside (0, 0)-(w, h),
    // kBackground elsewhere", or returns an empty text.
    std::string FirstMismatch(COLORREF colour, int w, int h) const {
        for (int y = 0; y < height_; ++y) {
            for (int x = 0; x < width_; ++x) {
                const COLORREF expected = x < w && y < h ? colour : kBackground;
                const COLORREF seen = GetPixel(dc_.get(), x, y);
                if (seen != expected)
                    return "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + std::to_string(seen);
            }
        }
        return {};
    }

private:
    int width_, height_;
    win::MemoryDC dc_;
    win::Bitmap bitmap_;
    std::optional<win::SelectObjectScope> selected_;
};

struct Case {
    int sw, sh, dw, dh;
};

void ExpectExactFill(Stretcher& stretcher, const Case& c) {
    SCOPED_TRACE(std::to_string(c.sw) + "x" + std::to_string(c.sh) + " -> " + std::to_string(c.dw) + "x" +
                 std::to_string(c.dh));
    Canvas original(c.sw, c.sh, true);
    Canvas back(c.dw + 6, c.dh + 4, false);
    ASSERT_TRUE(original.valid() && back.valid());
    original.Fill(kPicture);
    back.Fill(kBackground);
    stretcher.Stretch(back.dc(), 0, 0, c.dw, c.dh, original.dc(), 0, 0, c.sw, c.sh);
    EXPECT_EQ(back.FirstMismatch(kPicture, c.dw, c.dh), "");
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

TEST(Stretcher, QualityWithAnEmptySourceKeepsThePreviousPicture) {
    Canvas original(1, 1, true);
    Canvas back(8, 6, false);
    back.Fill(kBackground);
    QualityStretcher().Stretch(back.dc(), 0, 0, 8, 6, original.dc(), 0, 0, 0, 0);
    EXPECT_EQ(back.FirstMismatch(kBackground, 8, 6), "");
}

TEST(Stretcher, DrawMethodPicksTheStrategy) {
    EXPECT_NE(dynamic_cast<SpeedStretcher*>(MakeStretcher(SpeedPriority).get()), nullptr);
    EXPECT_NE(dynamic_cast<QualityStretcher*>(MakeStretcher(QualityPriority).get()), nullptr);
}

TEST(ImageBufferTake, ReadsTopDownCoordinatesAndDrawsBackIntoItsContext) {
    Canvas canvas(3, 2, false);
    canvas.Fill(kBackground);
    SetPixel(canvas.dc(), 0, 0, RGB(0x10, 0x20, 0x30));
    ImageBuffer image;
    ASSERT_TRUE(image.Take(3, 2, canvas.dc()));
    EXPECT_EQ(image.ReadPixel(0, 0) & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(image.ReadPixel(0, 1) & 0xFFFFFF, 0x010203u);

    image.WritePixel(2, 1, 0x00A0B0C0);
    EXPECT_EQ(image.Draw(), 2);
    EXPECT_EQ(GetPixel(canvas.dc(), 2, 1), RGB(0xA0, 0xB0, 0xC0));
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 0), RGB(0x10, 0x20, 0x30));
}

TEST(ImageBufferTake, EmptySizeGivesAnEmptyPicture) {
    Canvas canvas(2, 2, false);
    ImageBuffer image;
    EXPECT_TRUE(image.Take(0, 5, canvas.dc()));
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(image.Draw(), 0);
}
