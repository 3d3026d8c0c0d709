// The box-average scaler on pictures in memory: hand-worked boxes, and the
// output of every instruction set against the plain formula.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "scale/BoxScaler.h"
#include "scale/Reciprocal.h"
#include "tools/ReferenceBoxScale.h"

using namespace quillora;
using quillora::test_support::Picture;
using quillora::test_support::ReferenceBoxScale;

namespace {

constexpr std::uint32_t kUnwritten = 0xAB123456;  // top byte set: the scaler never writes it

std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r << 16 | g << 8 | b; }

Picture Make(int width, int height, std::initializer_list<std::uint32_t> topDown) {
    Picture picture(width, height);
    picture.pixels.assign(topDown);
    return picture;
}

std::vector<BoxScaler::Instructions> Sets() {
    std::vector<BoxScaler::Instructions> sets;
    for (auto set : {BoxScaler::Instructions::Plain, BoxScaler::Instructions::Sse2, BoxScaler::Instructions::Avx2}) {
        if (BoxScaler::Supports(set)) sets.push_back(set);
    }
    return sets;
}

Picture Scale(const Picture& source, int dw, int dh, BoxScaler::Instructions set = BoxScaler::Best()) {
    Picture out(dw, dh, kUnwritten);
    BoxScaler scaler(set);
    scaler.Prepare(source.width, source.height, dw, dh);
    EXPECT_TRUE(scaler.Scale(source.pixels.data(), source.width, out.pixels.data(), dw));
    return out;
}

Picture Reference(const Picture& source, int dw, int dh) {
    Picture out(dw, dh, kUnwritten);
    ReferenceBoxScale(source, out);
    return out;
}

Picture Noise(std::mt19937& random, int width, int height) {
    Picture picture(width, height);
    std::uniform_int_distribution<std::uint32_t> word;
    for (std::uint32_t& pixel : picture.pixels) pixel = word(random);
    return picture;
}

// Hands out a picture's rows in short runs of varying length, copied into
// one buffer as the capture copies its strips; the buffer's other rows hold
// noise, so that reading past a run shows.
class ShortRuns : public RowSource {
public:
    ShortRuns(const Picture& picture, std::mt19937& random) : picture_(picture), random_(random) {}
    Run Rows(int y) override {
        const int rows = std::min(std::uniform_int_distribution<int>(1, kMaxRows)(random_), picture_.height - y);
        strip_ = Noise(random_, picture_.width, kMaxRows + 4).pixels;
        const auto from = picture_.pixels.begin() + static_cast<std::ptrdiff_t>(y) * picture_.width;
        std::copy(from, from + static_cast<std::ptrdiff_t>(rows) * picture_.width, strip_.begin());
        return {strip_.data(), picture_.width, rows};
    }

private:
    static constexpr int kMaxRows = 5;
    const Picture& picture_;
    std::mt19937& random_;
    std::vector<std::uint32_t> strip_;
};

std::string Describe(const Picture& s, int dw, int dh) {
    return std::to_string(s.width) + "x" + std::to_string(s.height) + " -> " + std::to_string(dw) + "x" +
           std::to_string(dh);
}

}  // namespace

TEST(BoxScaler, HandWorkedBoxes) {
    // 4 x 4 to 2 x 2 averages the quarters.
    EXPECT_EQ(Scale(Make(4, 4, {10, 20, 100, 100, 30, 40, 100, 104, 0, 0, 255, 255, 0, 4, 255, 255}), 2, 2),
              Make(2, 2, {25, 101, 1, 255}));
    // 3 to 2: boxes of columns 0-1 and 1-2 share the middle column.
    EXPECT_EQ(Scale(Make(3, 1, {10, 20, 60}), 2, 1), Make(2, 1, {15, 40}));
    // 10 to 4: columns 0-1, 2-4, 5-6 and 7-9.
    EXPECT_EQ(Scale(Make(10, 2, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 10, 20, 30, 40, 50, 60, 70, 80, 90}), 4, 1),
              Make(4, 1, {5, 30, 55, 80}));
    // Each channel truncates on its own; the top byte is written as 0.
    EXPECT_EQ(Scale(Make(2, 2, {0xFF000000 | Rgb(255, 1, 3), 0x7F000000 | Rgb(0, 0, 3), 0x01000000 | Rgb(255, 0, 3),
                                0xFF000000 | Rgb(0, 0, 2)}),
                    1, 1),
              Make(1, 1, {Rgb(127, 0, 2)}));
    // At scale 1 the boxes at the last column and row hold only the pixels
    // inside the picture.
    EXPECT_EQ(Scale(Make(3, 3, {200, 200, 10, 200, 200, 20, 30, 40, 51}), 3, 3),
              Make(3, 3, {200, 107, 15, 117, 77, 35, 35, 45, 51}));
    // Enlarging: ex = 0.4, boxes start at columns 0, 0, 0, 1, 1; those at
    // column 1 hold it alone.
    EXPECT_EQ(Scale(Make(2, 1, {10, 30}), 5, 1), Make(5, 1, {20, 20, 20, 30, 30}));
}

TEST(BoxScaler, EmptySizesWriteNothing) {
    BoxScaler scaler;
    scaler.Prepare(0, 0, 2, 2);
    EXPECT_EQ(scaler.ReachedWidth(), 0);
    EXPECT_EQ(scaler.ReachedHeight(), 0);
    scaler.Prepare(2, 2, 0, 5);
    EXPECT_EQ(scaler.ReachedWidth(), 0);
    EXPECT_EQ(scaler.ReachedHeight(), 0);
}

TEST(BoxScaler, EveryInstructionSetMatchesTheFormulaOnRandomPictures) {
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> side(1, 40), wholeRatio(1, 16), pick(0, 5);
    std::uniform_real_distribution<double> ratio(1.0, 16.0), enlarge(0.2, 1.0);
    // Whole ratios 1:1 to 16:1, ratios between them, enlargements, and single
    // pixels, on each side independently.
    auto randomSides = [&](int& source, int& destination) {
        destination = side(random);
        switch (pick(random)) {
            case 0: case 1: source = destination * wholeRatio(random); break;
            case 2: case 3: source = static_cast<int>(destination * ratio(random)); break;
            case 4: source = std::max(1, static_cast<int>(destination * enlarge(random))); break;
            default: source = 1; destination = side(random) % 3 + 1; break;
        }
    };
    // Then shapes that every way through the scaler meets at least once:
    // square boxes of 2, 3 and 4, whole columns over other rows, boxes of
    // up to four and up to eight columns, and wider or larger ones.
    const std::array<int, 4> shapes[] = {{74, 58, 37, 29}, {180, 44, 45, 11}, {63, 27, 21, 9},   {76, 39, 19, 13},
                                         {46, 35, 23, 7},  {231, 70, 70, 21}, {683, 384, 150, 100}, {300, 40, 20, 4},
                                         {170, 200, 10, 10}};
    for (BoxScaler::Instructions set : Sets()) {
        for (int round = 0; round < 300 + static_cast<int>(std::size(shapes)); ++round) {
            int sw, sh, dw, dh;
            if (round < 300) {
                randomSides(sw, dw);
                randomSides(sh, dh);
            } else {
                const std::array<int, 4>& shape = shapes[round - 300];
                sw = shape[0], sh = shape[1], dw = shape[2], dh = shape[3];
            }
            const Picture source = Noise(random, sw, sh);
            const Picture expected = Reference(source, dw, dh);
            ASSERT_EQ(Scale(source, dw, dh, set), expected)
                << Describe(source, dw, dh) << " with instruction set " << static_cast<int>(set);

            // The same rows handed out a few at a time, into a destination
            // that is wider than the picture.
            BoxScaler scaler(set);
            scaler.Prepare(sw, sh, dw, dh);
            ShortRuns runs(source, random);
            std::vector<std::uint32_t> wide(static_cast<std::size_t>(dw + 3) * dh, kUnwritten);
            ASSERT_TRUE(scaler.Scale(runs, wide.data(), dw + 3));
            for (int y = 0; y < dh; ++y) {
                for (int x = 0; x < dw + 3; ++x) {
                    const std::uint32_t want = x < dw ? expected.at(x, y) : kUnwritten;
                    ASSERT_EQ(wide[static_cast<std::size_t>(y) * (dw + 3) + x], want)
                        << Describe(source, dw, dh) << " in short runs at " << x << ", " << y;
                }
            }
        }
    }
}

TEST(BoxScaler, LargeBoxesMatchTheFormula) {
    // Boxes taller than 16-bit column sums allow, and boxes of more pixels
    // than the reciprocals cover.
    std::mt19937 random(7);
    for (BoxScaler::Instructions set : Sets()) {
        for (auto [sw, sh, dw, dh] : {std::array{300, 601, 2, 2}, {700, 200, 2, 1}, {1000, 70, 3, 1}, {5, 900, 5, 3}}) {
            const Picture source = Noise(random, sw, sh);
            EXPECT_EQ(Scale(source, dw, dh, set), Reference(source, dw, dh)) << Describe(source, dw, dh);
        }
    }
    // A white box whose channel sums pass 2^32.
    const Picture white(4100, 4100, 0xFFFFFF);
    EXPECT_EQ(Scale(white, 1, 1), Make(1, 1, {0xFFFFFF}));
}

TEST(BoxScaler, EveryDestinationPixelIsReachedForCommonOriginalSizes) {
    BoxScaler scaler;
    for (auto [sw, sh] : {std::pair{1920, 1080}, {1366, 768}, {800, 600}, {1023, 767}, {3840, 2160}}) {
        for (auto [dw, dh] : {std::pair{480, 270}, {333, 187}, {sw / 3, sh / 7}, {sw, sh}, {sw + 1, sh + 3}}) {
            scaler.Prepare(sw, sh, dw, dh);
            EXPECT_EQ(scaler.ReachedWidth(), dw) << sw << " -> " << dw;
            EXPECT_EQ(scaler.ReachedHeight(), dh) << sh << " -> " << dh;
        }
    }
}

// The multiply grows with the sum, so a quotient that comes out right at
// both ends of its range of sums comes out right between them: checking both
// ends of every quotient's range, for every count, checks every sum.
TEST(Reciprocal, ExactForEveryCountAndSum) {
    for (std::uint32_t count = 1; count <= kMaxReciprocalDivisor; ++count) {
        const Reciprocal r = MakeReciprocal(count);
        for (std::uint32_t q = 0; q <= 255; ++q) {
            const std::uint32_t low = q * count, high = q == 255 ? low : low + count - 1;
            if (Divide(low, r) != q || Divide(high, r) != q) {
                FAIL() << "count " << count << " quotient " << q;
            }
        }
    }
    for (std::uint32_t count = 1; count <= kMaxMediumDivisor; ++count) {
        const std::uint32_t m = MediumMultiplier(count);
        for (std::uint32_t sum = 0; sum <= 255 * count; ++sum) {
            if (MediumDivide(sum, m) != sum / count) FAIL() << "medium count " << count << " sum " << sum;
        }
    }
    for (std::uint32_t count = 2; count <= kMaxSmallDivisor; ++count) {
        const std::uint16_t m = SmallMultiplier(count);
        for (std::uint32_t sum = 0; sum <= 255 * count; ++sum) {
            if (SmallDivide(sum, m) != sum / count) FAIL() << "small count " << count << " sum " << sum;
        }
    }
}
