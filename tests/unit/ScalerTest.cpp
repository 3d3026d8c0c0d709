// The box-average scaler on plain buffers, against hand-worked boxes and a
// reference written independently from the same formulas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <vector>

#include "pseudo/ImageBuffer.h"

using namespace quillora;

namespace {

constexpr std::uint32_t kUnwritten = 0xAB123456;  // top byte set: the scaler never writes it

std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r << 16 | g << 8 | b; }

// Rows listed top first.
void Fill(ImageBuffer& image, int width, int height, std::initializer_list<std::uint32_t> topDown) {
    image.Allocate(width, height);
    auto it = topDown.begin();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.WritePixel(x, y, *it++);
}

std::vector<std::uint32_t> Scale(const ImageBuffer& source, int dw, int dh) {
    ImageBuffer destination;
    destination.Allocate(dw, dh);
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) destination.WritePixel(x, y, kUnwritten);
    BoxScale(source, destination);
    std::vector<std::uint32_t> out;
    for (int y = 0; y < dh; ++y)
        for (int x = 0; x < dw; ++x) out.push_back(destination.ReadPixel(x, y));
    return out;
}

// Straight from the formulas: truncated edges, widened to two, then only the
// pixels inside the picture summed one by one and counted.
std::uint32_t ReferenceAverage(const ImageBuffer& s, double x0, double y0, double x1, double y1) {
    int xs = static_cast<int>(x0), ys = static_cast<int>(y0);
    int xe = std::min(s.Width(), static_cast<int>(x1)), ye = std::min(s.Height(), static_cast<int>(y1));
    if (xe <= xs + 1) xe = xs + 2;
    if (ye <= ys + 1) ye = ys + 2;
    std::uint64_t r = 0, g = 0, b = 0, n = 0;
    for (int y = ys; y < ye; ++y) {
        for (int x = xs; x < xe; ++x) {
            if (x < 0 || y < 0 || x >= s.Width() || y >= s.Height()) continue;
            const std::uint32_t p = s.ReadPixel(x, y);
            r += (p >> 16) & 0xFF;
            g += (p >> 8) & 0xFF;
            b += p & 0xFF;
            ++n;
        }
    }
    return n == 0 ? 0 : Rgb(static_cast<std::uint32_t>(r / n), static_cast<std::uint32_t>(g / n),
                            static_cast<std::uint32_t>(b / n));
}

std::vector<std::uint32_t> ReferenceScale(const ImageBuffer& s, int dw, int dh) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(dw) * dh, kUnwritten);
    const double ex = static_cast<double>(s.Width()) / dw, ey = static_cast<double>(s.Height()) / dh;
    double y0 = 0, y1 = ey, ry = 0;
    for (int i = 0; ry < s.Height(); ++i) {
        double x0 = 0, x1 = ex, rx = 0;
        for (int j = 0; rx < s.Width(); ++j) {
            if (j < dw && i < dh) out[static_cast<std::size_t>(i) * dw + j] = ReferenceAverage(s, x0, y0, x1, y1);
            x0 = x1;
            x1 = x1 + ex;
            rx = rx + ex;
        }
        y0 = y1;
        y1 = y1 + ey;
        ry = ry + ey;
    }
    return out;
}

}  // namespace

TEST(ImageBuffer, RowsAreStoredBottomUp) {
    ImageBuffer image;
    Fill(image, 2, 3, {1, 2, 3, 4, 5, 6});
    const std::uint32_t* pixels = image.Pixels();
    EXPECT_EQ(std::vector<std::uint32_t>(pixels, pixels + 6), (std::vector<std::uint32_t>{5, 6, 3, 4, 1, 2}));
    EXPECT_EQ(image.PixelAddress(1, 0), pixels + 5);
}

TEST(ImageBuffer, AccessOutsideThePictureIsRefused) {
    ImageBuffer image;
    Fill(image, 2, 2, {1, 2, 3, 4});
    for (auto [x, y] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 2}}) {
        EXPECT_EQ(image.PixelAddress(x, y), nullptr);
        EXPECT_EQ(image.ReadPixel(x, y), 0u);
        image.WritePixel(x, y, 9);
    }
    EXPECT_EQ(std::vector<std::uint32_t>(image.Pixels(), image.Pixels() + 4), (std::vector<std::uint32_t>{3, 4, 1, 2}));
    image.Release();
    EXPECT_EQ(image.Pixels(), nullptr);
    EXPECT_EQ(image.PixelAddress(0, 0), nullptr);
    EXPECT_EQ(image.ReadPixel(0, 0), 0u);
}

TEST(BoxScale, FourByFourToTwoByTwoAveragesTheQuarters) {
    ImageBuffer source;
    Fill(source, 4, 4, {10, 20, 100, 100,  //
                        30, 40, 100, 104,  //
                        0, 0, 255, 255,    //
                        0, 4, 255, 255});
    EXPECT_EQ(Scale(source, 2, 2), (std::vector<std::uint32_t>{25, 101, 1, 255}));
}

TEST(BoxScale, BoxesOfThreeToTwoOverlapInTheMiddleColumn) {
    ImageBuffer source;
    Fill(source, 3, 1, {10, 20, 60});
    EXPECT_EQ(Scale(source, 2, 1), (std::vector<std::uint32_t>{15, 40}));
}

TEST(BoxScale, BoxesOfTenToFourCoverTruncatedEdges) {
    // Columns 0-1, 2-4, 5-6 and 7-9; both rows alike.
    ImageBuffer source;
    Fill(source, 10, 2, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90});
    EXPECT_EQ(Scale(source, 4, 1), (std::vector<std::uint32_t>{5, 30, 55, 80}));
}

TEST(BoxScale, AverageTruncatesEachChannelAndClearsTheTopByte) {
    ImageBuffer source;
    Fill(source, 2, 2, {0xFF000000 | Rgb(255, 1, 3), 0x7F000000 | Rgb(0, 0, 3),  //
                        0x01000000 | Rgb(255, 0, 3), 0xFF000000 | Rgb(0, 0, 2)});
    EXPECT_EQ(Scale(source, 1, 1), (std::vector<std::uint32_t>{Rgb(127, 0, 2)}));
    EXPECT_EQ(BoxAverage(source, 0, 0, 2, 2), Rgb(127, 0, 2));
}

TEST(BoxScale, AtScaleOneEdgeBoxesAverageOnlyThePixelsInside) {
    // Widening to 2 x 2 would reach past the last column and row; a read
    // there would land on the neighbouring row's 200s.
    ImageBuffer source;
    Fill(source, 3, 3, {200, 200, 10,  //
                        200, 200, 20,  //
                        30, 40, 51});
    EXPECT_EQ(Scale(source, 3, 3), (std::vector<std::uint32_t>{200, 107, 15, 117, 77, 35, 35, 45, 51}));
}

TEST(BoxScale, UpscalingRepeatsClampedEdgeBoxes) {
    ImageBuffer source;
    Fill(source, 2, 1, {10, 30});
    // ex = 0.4: boxes start at columns 0, 0, 0, 1, 1; a box at column 1 is
    // widened to 1-2 and clamped to column 1 alone.
    EXPECT_EQ(Scale(source, 5, 1), (std::vector<std::uint32_t>{20, 20, 20, 30, 30}));
}

TEST(BoxAverage, BoxesOutsideOrOnAnEmptyPictureGiveZero) {
    ImageBuffer empty;
    EXPECT_EQ(BoxAverage(empty, 0, 0, 2, 2), 0u);
    ImageBuffer source;
    Fill(source, 2, 2, {9, 9, 9, 9});
    EXPECT_EQ(BoxAverage(source, 5, 0, 7, 2), 0u);
    EXPECT_EQ(BoxAverage(source, -4, -4, -2, -2), 0u);
}

TEST(BoxScale, EmptySourceOrDestinationWritesNothing) {
    ImageBuffer empty;
    EXPECT_EQ(Scale(empty, 2, 2), std::vector<std::uint32_t>(4, kUnwritten));
    ImageBuffer source;
    Fill(source, 2, 2, {9, 9, 9, 9});
    ImageBuffer none;
    BoxScale(source, none);
    EXPECT_EQ(none.Pixels(), nullptr);
}

TEST(BoxScale, MatchesTheReferenceOnRandomSizesAndPictures) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> side(1, 48);
    std::uniform_int_distribution<std::uint32_t> word;
    for (int round = 0; round < 400; ++round) {
        // Single columns (some of them single pixels) and single rows come up
        // every other round.
        const int sw = round % 4 == 1 ? 1 : side(random), sh = round % 8 == 1 || round % 4 == 3 ? 1 : side(random);
        const int dw = side(random), dh = side(random);
        ImageBuffer source;
        source.Allocate(sw, sh);
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) source.WritePixel(x, y, word(random));
        const auto scaled = Scale(source, dw, dh);
        ASSERT_EQ(scaled, ReferenceScale(source, dw, dh)) << sw << "x" << sh << " -> " << dw << "x" << dh;
        // Every destination pixel is reached, whatever the ratio.
        ASSERT_EQ(std::count(scaled.begin(), scaled.end(), kUnwritten), 0) << sw << "x" << sh << " -> " << dw << "x" << dh;
    }
}

TEST(BoxScale, EveryDestinationPixelIsWrittenForCommonOriginalSizes) {
    ImageBuffer source;
    for (auto [sw, sh] : {std::pair{1920, 1080}, {1366, 768}, {800, 600}, {1023, 767}}) {
        source.Allocate(sw, sh);
        for (auto [dw, dh] : {std::pair{480, 270}, {333, 187}, {sw / 3, sh / 7}, {sw, sh}, {sw + 1, sh + 3}}) {
            const auto scaled = Scale(source, dw, dh);
            EXPECT_EQ(std::count(scaled.begin(), scaled.end(), kUnwritten), 0) << sw << "x" << sh << " -> " << dw << "x" << dh;
        }
    }
}
