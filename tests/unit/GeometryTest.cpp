// Size, placement, learning, aspect lock and transparency arithmetic.
#include <gtest/gtest.h>

#include "pseudo/Geometry.h"

using namespace quillora;

namespace {

Rule SizeRule(std::int32_t width, std::int32_t widthUnit, std::int32_t height, std::int32_t heightUnit, bool coratio) {
    Rule rule;
    rule.StretchWidth = width;
    rule.StretchWidthUnit = widthUnit;
    rule.StretchHeight = height;
    rule.StretchHeightUnit = heightUnit;
    rule.Coratio = coratio;
    return rule;
}

// One 1280 x 1024 monitor without a taskbar.
const MonitorArea kScreen{{0, 0, 1280, 1024}, {0, 0, 1280, 1024}};

// The corner Auto picks for a 20 x 20 window centred at (x, y).
std::int32_t AutoCornerAt(std::int32_t x, std::int32_t y, const MonitorArea& area) {
    const Rect A{x - 10, y - 10, x + 10, y + 10};
    const Rect r = Anchor(DirAuto, A, 4, 4, area);
    const bool left = r.left == A.left, top = r.top == A.top;
    if (top) return left ? DirTopLeft : DirTopRight;
    return left ? DirBottomLeft : DirBottomRight;
}

}  // namespace

TEST(PseudoSize, PercentAndPixelUnitsOfAn800x600Original) {
    EXPECT_EQ(PseudoSize(SizeRule(50, UnitPercent, 50, UnitPercent, false), 800, 600), (Size{400, 300}));
    EXPECT_EQ(PseudoSize(SizeRule(120, UnitPixel, 90, UnitPixel, false), 800, 600), (Size{120, 90}));
    EXPECT_EQ(PseudoSize(SizeRule(120, UnitPixel, 10, UnitPercent, false), 800, 600), (Size{120, 60}));
}

TEST(PseudoSize, KeepingProportionsFollowsTheWidth) {
    // Height unit percent: the width's percentage (or pixel count) is reused;
    // the stored height is ignored.
    EXPECT_EQ(PseudoSize(SizeRule(30, UnitPercent, 77, UnitPercent, true), 800, 600), (Size{240, 180}));
    EXPECT_EQ(PseudoSize(SizeRule(200, UnitPixel, 77, UnitPercent, true), 800, 600), (Size{200, 200}));
    // Height unit pixels: the original's proportions.
    EXPECT_EQ(PseudoSize(SizeRule(200, UnitPixel, 77, UnitPixel, true), 800, 600), (Size{200, 150}));
    EXPECT_EQ(PseudoSize(SizeRule(30, UnitPercent, 77, UnitPixel, true), 800, 600), (Size{240, 180}));
}

TEST(PseudoSize, DoublePrecisionTruncatesBelowExactArithmetic) {
    // 116 * 0.01 * 50 is 57.999... in double precision.
    EXPECT_EQ(PseudoSize(SizeRule(50, UnitPercent, 50, UnitPercent, false), 116, 116), (Size{57, 57}));
}

TEST(PseudoSize, ZeroSizedOriginalGivesZeroWithoutFaulting) {
    EXPECT_EQ(PseudoSize(SizeRule(50, UnitPercent, 50, UnitPercent, false), 0, 0), (Size{0, 0}));
    EXPECT_EQ(PseudoSize(SizeRule(200, UnitPixel, 0, UnitPixel, true), 0, 600), (Size{200, 0}));
    EXPECT_EQ(PseudoSize(SizeRule(200, UnitPixel, 0, UnitPixel, true), 0, 0), (Size{200, 0}));
}

TEST(Anchor, EachCornerKeepsTheSizeAtThatCornerOfTheAnchor) {
    const Rect A{100, 200, 900, 800};
    EXPECT_EQ(Anchor(DirTopLeft, A, 400, 300, kScreen), (Rect{100, 200, 500, 500}));
    EXPECT_EQ(Anchor(DirTopRight, A, 400, 300, kScreen), (Rect{500, 200, 900, 500}));
    EXPECT_EQ(Anchor(DirBottomLeft, A, 400, 300, kScreen), (Rect{100, 500, 500, 800}));
    EXPECT_EQ(Anchor(DirBottomRight, A, 400, 300, kScreen), (Rect{500, 500, 900, 800}));
}

TEST(Anchor, UnknownDirectionLeavesTheRectangleAtTheOrigin) {
    const Rect A{100, 200, 900, 800};
    EXPECT_EQ(Anchor(5, A, 40, 30, kScreen), (Rect{0, 0, 40, 30}));
    EXPECT_EQ(Anchor(-1, A, 40, 30, kScreen), (Rect{0, 0, 40, 30}));
}

TEST(Anchor, AutoExactlyAtTheHalvesPicksRightAndBottom) {
    // Centre (640, 512) of a 1280 x 1024 work area.
    EXPECT_EQ(Anchor(DirAuto, Rect{600, 500, 680, 524}, 10, 10, kScreen), (Rect{670, 514, 680, 524}));
    // One pixel up and left of the halves: top left.
    EXPECT_EQ(Anchor(DirAuto, Rect{600, 500, 679, 523}, 10, 10, kScreen), (Rect{600, 500, 610, 510}));
    EXPECT_EQ(Anchor(DirAuto, Rect{600, 500, 679, 524}, 10, 10, kScreen), (Rect{600, 514, 610, 524}));
    EXPECT_EQ(Anchor(DirAuto, Rect{600, 500, 680, 523}, 10, 10, kScreen), (Rect{670, 500, 680, 510}));
}

TEST(Anchor, AutoHalvesTheWorkAreasCoordinatesNotItsExtent) {
    // Work area to the right of a 100-pixel bar: right / 2 is 690, while the
    // middle of its width would be 740 and half its width 640.
    const MonitorArea screen{{0, 0, 1380, 1024}, {100, 0, 1380, 1024}};
    EXPECT_EQ(Anchor(DirAuto, Rect{660, 0, 720, 40}, 10, 10, screen).left, 710);  // cx 690: right
    EXPECT_EQ(Anchor(DirAuto, Rect{660, 0, 718, 40}, 10, 10, screen).left, 660);  // cx 689: left
}

TEST(Anchor, AutoDividesEveryMonitorAsThePrimaryOneInItsOwnCoordinates) {
    // A 1920 x 1080 monitor right of the primary one, its taskbar below.
    const MonitorArea right{{1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}};
    EXPECT_EQ(AutoCornerAt(2239, 519, right), DirTopLeft);  // halves: x 2240, y 520
    EXPECT_EQ(AutoCornerAt(2240, 520, right), DirBottomRight);
    EXPECT_EQ(AutoCornerAt(1400, 900, right), DirBottomLeft);
    // One left of it, at negative coordinates, with its taskbar on the left.
    const MonitorArea left{{-1024, 0, 0, 768}, {-964, 0, 0, 768}};
    EXPECT_EQ(AutoCornerAt(-513, 100, left), DirTopLeft);  // halves: x -512, y 384
    EXPECT_EQ(AutoCornerAt(-512, 384, left), DirBottomRight);
    EXPECT_EQ(AutoCornerAt(-100, 100, left), DirTopRight);
    // One above it, offset to the right.
    const MonitorArea above{{200, -900, 1640, 0}, {200, -900, 1640, 0}};
    EXPECT_EQ(AutoCornerAt(919, -451, above), DirTopLeft);  // halves: x 920, y -450
    EXPECT_EQ(AutoCornerAt(920, -450, above), DirBottomRight);
    EXPECT_EQ(AutoCornerAt(1500, -800, above), DirTopRight);
}

TEST(KeepInside, MovesTheLeastDistanceIntoTheWorkAreaKeepingTheSize) {
    const Rect work{0, 0, 1280, 984};
    // Already inside, also touching the edges: unchanged.
    EXPECT_EQ(KeepInside(Rect{0, 0, 1280, 984}, work), (Rect{0, 0, 1280, 984}));
    EXPECT_EQ(KeepInside(Rect{300, 200, 500, 350}, work), (Rect{300, 200, 500, 350}));
    // Beyond one edge or a corner: back along the axes that overflow only.
    EXPECT_EQ(KeepInside(Rect{1650, 100, 1850, 250}, work), (Rect{1080, 100, 1280, 250}));
    EXPECT_EQ(KeepInside(Rect{-50, 900, 150, 1050}, work), (Rect{0, 834, 200, 984}));
    EXPECT_EQ(KeepInside(Rect{300, -20, 500, 130}, work), (Rect{300, 0, 500, 150}));
}

TEST(KeepInside, LargerThanTheWorkAreaKeepsTheTopLeftCornerInside) {
    const Rect work{-1024, 40, 0, 768};
    EXPECT_EQ(KeepInside(Rect{-600, 100, 600, 300}, work), (Rect{-1024, 100, 176, 300}));
    EXPECT_EQ(KeepInside(Rect{-2000, -100, -1000, 900}, work), (Rect{-1024, 40, -24, 1040}));
    // No work area to speak of: left where it is.
    EXPECT_EQ(KeepInside(Rect{1650, 100, 1850, 250}, Rect{}), (Rect{1650, 100, 1850, 250}));
}

TEST(Anchor, TopRightRoundTripCarriesTheOriginalWithAMovedPseudoWindow) {
    const Rect original{100, 100, 900, 700};
    const Rect pseudo = Anchor(DirTopRight, original, 400, 300, kScreen);
    EXPECT_EQ(pseudo.right, original.right);
    const Rect moved{pseudo.left + 50, pseudo.top + 20, pseudo.right + 50, pseudo.bottom + 20};
    const Rect restored = Anchor(DirTopRight, moved, original.width(), original.height(), kScreen);
    EXPECT_EQ(restored, (Rect{150, 120, 950, 720}));
}

TEST(PlaceAtCorner, KeepsTheAnchoredRectangleAboveTheTaskbarOfItsMonitor) {
    // An original across the bottom edge of a monitor right of the primary.
    const MonitorArea right{{1280, 0, 3200, 1080}, {1280, 0, 3200, 1040}};
    EXPECT_EQ(PlaceAtCorner(DirBottomRight, Rect{2000, 800, 2700, 1300}, 200, 150, right),
              (Rect{2500, 890, 2700, 1040}));
}

TEST(LearnedSizeValue, PixelsAreTakenAsTheyArePercentTruncates) {
    EXPECT_EQ(LearnedSizeValue(UnitPixel, 29, 100, 7), 29);
    EXPECT_EQ(LearnedSizeValue(UnitPercent, 29, 100, 7), 28);  // 0.29 * 100 is 28.999...
    EXPECT_EQ(LearnedSizeValue(UnitPercent, 400, 800, 7), 50);
}

TEST(LearnedSizeValue, ZeroSizedOriginalKeepsTheStoredValue) {
    EXPECT_EQ(LearnedSizeValue(UnitPercent, 29, 0, 7), 7);
    EXPECT_EQ(LearnedSizeValue(UnitPixel, 29, 0, 7), 29);
}

TEST(AspectLockedRect, SideEdgesSetTheHeightLeftMovesTheTop) {
    const Rect R{100, 100, 500, 400};  // width 400 of an 800 x 600 client: 50 %
    EXPECT_EQ(AspectLockedRect(1, R, 800, 600, 20), (Rect{100, 80, 500, 400}));
    EXPECT_EQ(AspectLockedRect(2, R, 800, 600, 20), (Rect{100, 100, 500, 420}));
}

TEST(AspectLockedRect, TopAndBottomEdgesSetTheWidthInWholePercent) {
    // (300 - 20) / 600 is 46.67 %: 46 % of 800 is 368.
    const Rect R{100, 100, 500, 400};
    EXPECT_EQ(AspectLockedRect(4, R, 800, 600, 20), (Rect{132, 100, 500, 400}));
    EXPECT_EQ(AspectLockedRect(7, R, 800, 600, 20), (Rect{132, 100, 500, 400}));
    for (int edge : {3, 5, 6, 8}) EXPECT_EQ(AspectLockedRect(edge, R, 800, 600, 20), (Rect{100, 100, 468, 400})) << edge;
}

TEST(AspectLockedRect, UnknownEdgeOrZeroSizedOriginalLeavesTheRectangle) {
    const Rect R{100, 100, 500, 400};
    EXPECT_EQ(AspectLockedRect(0, R, 800, 600, 20), R);
    EXPECT_EQ(AspectLockedRect(9, R, 800, 600, 20), R);
    for (int edge = 1; edge <= 8; ++edge) {
        EXPECT_EQ(AspectLockedRect(edge, R, 0, 600, 20), R) << edge;
        EXPECT_EQ(AspectLockedRect(edge, R, 800, 0, 20), R) << edge;
    }
}

TEST(Transparency, WheelStepsByTenWithinOneToEighty) {
    EXPECT_EQ(WheelTransparency(50, 120), 60);
    EXPECT_EQ(WheelTransparency(50, 0), 60);
    EXPECT_EQ(WheelTransparency(50, -120), 40);
    EXPECT_EQ(WheelTransparency(75, 120), 80);
    EXPECT_EQ(WheelTransparency(5, -120), 1);
}

TEST(Transparency, AlphaTruncatesThePercentage) {
    EXPECT_EQ(AlphaForTransparency(80), 51);
    EXPECT_EQ(AlphaForTransparency(50), 128);
    EXPECT_EQ(AlphaForTransparency(1), 253);
    EXPECT_EQ(AlphaForTransparency(100), 1);
    EXPECT_EQ(AlphaForTransparency(0), 255);
}

TEST(Transparency, OutOfRangePercentagesDoNotWrapAround) {
    EXPECT_EQ(AlphaForTransparency(101), 1);
    EXPECT_EQ(AlphaForTransparency(1000), 1);
    EXPECT_EQ(AlphaForTransparency(-5), 255);
}

TEST(PseudoSize, PixelsAreAt96DpiAndFollowTheOriginalsMonitor) {
    // 200 x 150 pixels at 100, 150 and 200 %; percentages are of the
    // original's physical size and stay as they are.
    const Rule pixels = SizeRule(200, UnitPixel, 150, UnitPixel, false);
    EXPECT_EQ(PseudoSize(pixels, 1600, 1200, 96), (Size{200, 150}));
    EXPECT_EQ(PseudoSize(pixels, 1600, 1200, 144), (Size{300, 225}));
    EXPECT_EQ(PseudoSize(pixels, 1600, 1200, 192), (Size{400, 300}));
    EXPECT_EQ(PseudoSize(SizeRule(25, UnitPercent, 25, UnitPercent, false), 1600, 1200, 192), (Size{400, 300}));
    EXPECT_EQ(PseudoSize(SizeRule(201, UnitPixel, 10, UnitPercent, false), 1600, 1200, 144), (Size{302, 120}));
    // Proportions kept from the scaled width.
    EXPECT_EQ(PseudoSize(SizeRule(200, UnitPixel, 0, UnitPixel, true), 1600, 1200, 144), (Size{300, 225}));
    EXPECT_EQ(PseudoSize(SizeRule(200, UnitPixel, 77, UnitPercent, true), 1600, 1200, 192), (Size{400, 400}));
}

TEST(LearnedSizeValue, PixelsLearnedOnAScaledMonitorAreStoredAt96Dpi) {
    // A stand-in sized to 300 physical pixels at 150 % is 200 at 96 DPI, and
    // shrinks to 300 again there; percentages are learned as before.
    EXPECT_EQ(LearnedSizeValue(UnitPixel, 300, 1200, 7, 144), 200);
    EXPECT_EQ(PseudoSize(SizeRule(LearnedSizeValue(UnitPixel, 300, 1200, 7, 144), UnitPixel, 0, UnitPercent, false),
                         1200, 900, 144)
                  .width,
              300);
    EXPECT_EQ(LearnedSizeValue(UnitPixel, 301, 1200, 7, 96), 301);
    EXPECT_EQ(LearnedSizeValue(UnitPercent, 300, 1200, 7, 144), 25);
    EXPECT_EQ(LearnedSizeValue(UnitPercent, 300, 0, 7, 144), 7);
}

namespace {

// Windows 10 and 11 draw no border at the top; left, right and bottom are
// invisible resize borders of `border` pixels.
Rect WithBorders(const Rect& frame, std::int32_t border) {
    return {frame.left - border, frame.top, frame.right + border, frame.bottom + border};
}

// A 1280 x 1040 work area above a 40-pixel taskbar.
const MonitorArea kTaskbarBelow{{0, 0, 1280, 1080}, {0, 0, 1280, 1040}};

}  // namespace

TEST(Frame, BordersComeFromTheRectangleAndTheVisibleFrame) {
    for (std::int32_t border : {7, 11}) {
        const Rect frame{100, 50, 900, 650};
        const Rect window = WithBorders(frame, border);
        const Insets insets = InvisibleBorders(window, frame);
        EXPECT_EQ(insets, (Insets{border, 0, border, border}));
        EXPECT_EQ(FrameOfWindow(window, insets), frame);
        EXPECT_EQ(WindowOfFrame(frame, insets), window);
    }
    // No compositor (Wine, Windows 7 without it): the frame is the rectangle.
    EXPECT_EQ(InvisibleBorders(Rect{100, 50, 900, 650}, Rect{100, 50, 900, 650}), (Insets{}));
    // A frame that is no frame of that rectangle says nothing.
    EXPECT_EQ(InvisibleBorders(Rect{100, 50, 900, 650}, Rect{}), (Insets{}));
    EXPECT_EQ(InvisibleBorders(Rect{100, 50, 900, 650}, Rect{90, 50, 900, 650}), (Insets{}));
}

// A window snapped to half the screen lies its borders beyond the work area
// by its rectangle: it must come back without being moved, at every corner
// the stand-in may take.
TEST(Frame, SnappedWindowsComeBackExactlyWhereTheyWere) {
    const Rect halves[] = {{0, 0, 640, 1040}, {640, 0, 1280, 1040}};
    for (std::int32_t border : {7, 11}) {
        for (const Rect& frame : halves) {
            const Rect window = WithBorders(frame, border);
            EXPECT_TRUE(RestoresInPlace(frame, kTaskbarBelow.work, false));
            EXPECT_FALSE(RestoresInPlace(frame, kTaskbarBelow.work, true));
            for (std::int32_t direction : {DirTopLeft, DirTopRight, DirBottomLeft, DirBottomRight, DirAuto}) {
                const Rect pseudo = PlaceAtCorner(direction, frame, 200, 150, kTaskbarBelow);
                EXPECT_EQ(RestoredWindowRect(direction, pseudo, window, frame, kTaskbarBelow), window)
                    << border << " px, frame left " << frame.left << ", direction " << direction;
            }
        }
    }
}

TEST(Frame, ParkedWindowComesIntoViewOverItsStandIn) {
    for (std::int32_t border : {7, 11}) {
        // Half beyond the right edge, and below the taskbar.
        const Rect beyondRight{1000, 300, 1800, 900};
        EXPECT_FALSE(RestoresInPlace(beyondRight, kTaskbarBelow.work, false));
        const Rect pseudo = PlaceAtCorner(DirTopRight, beyondRight, 200, 150, kTaskbarBelow);
        EXPECT_EQ(pseudo, (Rect{1080, 300, 1280, 450}));
        EXPECT_EQ(RestoredWindowRect(DirTopRight, pseudo, WithBorders(beyondRight, border), beyondRight, kTaskbarBelow),
                  WithBorders(Rect{480, 300, 1280, 900}, border));

        const Rect belowTaskbar{100, 700, 700, 1200};
        EXPECT_FALSE(RestoresInPlace(belowTaskbar, kTaskbarBelow.work, false));
        const Rect low = PlaceAtCorner(DirBottomLeft, belowTaskbar, 200, 150, kTaskbarBelow);
        EXPECT_EQ(RestoredWindowRect(DirBottomLeft, low, WithBorders(belowTaskbar, border), belowTaskbar, kTaskbarBelow),
                  WithBorders(Rect{100, 540, 700, 1040}, border));
    }
}

TEST(Frame, WithoutInvisibleBordersTheRestoreIsTheWindowsOwnPlacement) {
    // A stand-in the user moved: the original follows it, as it always has.
    const Rect window{100, 100, 900, 700};
    const Rect moved{300, 250, 700, 550};
    EXPECT_EQ(RestoredWindowRect(DirTopLeft, moved, window, window, kTaskbarBelow),
              PlaceAtCorner(DirTopLeft, moved, 800, 600, kTaskbarBelow));
    EXPECT_EQ(RestoredWindowRect(DirBottomRight, moved, window, window, kTaskbarBelow), (Rect{0, 0, 800, 600}));
}
