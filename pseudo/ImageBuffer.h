// A 32-bit bottom-up picture and the box-average scaler that works on it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace quillora {

class ImageBuffer {
public:
    ImageBuffer();
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    // Copies width x height pixels from (0, 0) of dc. A size of zero (or
    // less) gives an empty picture and true; false means the pixels could
    // not be allocated or copied, and the picture is left empty.
    bool Take(int width, int height, HDC dc);
    // Draws the whole buffer into the context it was taken from, at (0, 0);
    // an empty picture draws nothing and gives 0.
    int Draw();
    // Makes an empty picture of width x height (all zero) without a context;
    // for the scaler's pure use and its tests.
    void Allocate(int width, int height);

    // Pixel (x, y) counted from the top-left; null outside the picture.
    std::uint32_t* PixelAddress(int x, int y);
    const std::uint32_t* PixelAddress(int x, int y) const;
    std::uint32_t ReadPixel(int x, int y) const;
    void WritePixel(int x, int y, std::uint32_t value);
    void Release();

    int Width() const { return Width_; }
    int Height() const { return Height_; }
    const std::uint32_t* Pixels() const { return Pixels_.get(); }

private:
    void fillHeader();
    bool copyFrom(HDC dc);

    std::int32_t Width_ = 0;
    std::int32_t Height_ = 0;
    std::unique_ptr<std::uint32_t[]> Pixels_;
    BITMAPINFOHEADER Header_{};
    HDC Context_ = nullptr;
};

// Average of the box (x0, y0)-(x1, y1) of source, widened to at least 2 x 2
// and clamped to the picture; the divisor is the number of pixels actually
// summed (0 for a box with none). Top byte 0.
std::uint32_t BoxAverage(const ImageBuffer& source, double x0, double y0, double x1, double y1);

// The scaling loop of QualityStretcher on buffers already taken: fills
// destination (dw x dh) from source (sw x sh).
void BoxScale(const ImageBuffer& source, ImageBuffer& destination);

}  // namespace quillora
