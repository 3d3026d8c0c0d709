// A 32-bit picture (rows top first) in a DIB section selected into a memory
// device context of its own, so that the platform copies pixels straight in
// and out of it. It is made again only when its size changes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "win/Handles.h"

namespace quillora {

class ImageBuffer {
public:
    ImageBuffer() = default;
    ImageBuffer(const ImageBuffer&) = delete;
    ImageBuffer& operator=(const ImageBuffer&) = delete;

    // Makes the picture width x height, keeping the one it has when the size
    // is the same; the pixels of a new picture are undefined. A size of zero
    // (or less) gives an empty picture and true; false means the picture
    // could not be made, and it is left empty.
    bool Resize(int width, int height);
    // Resize, then copies width x height pixels from (0, 0) of dc.
    bool Take(int width, int height, HDC dc);
    // Copies `rows` rows of dc, from row y on, into the picture's first rows.
    bool TakeRows(HDC dc, int y, int rows);
    // Draws (0, 0)-(width, height) of the picture at (0, 0) of dc.
    bool Draw(HDC dc, int width, int height) const;

    // Pixel (x, y) counted from the top-left; null outside the picture.
    std::uint32_t* PixelAddress(int x, int y);
    const std::uint32_t* PixelAddress(int x, int y) const;
    std::uint32_t ReadPixel(int x, int y) const;
    void WritePixel(int x, int y, std::uint32_t value);
    void Release();

    // Whether every pixel's colour is black (the top byte, which some
    // systems leave 0 and others 255, does not count). False when empty.
    bool IsBlack() const;

    // The memory context the picture is selected into; null when empty.
    HDC Context() const { return context_.get(); }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Row y; rows are Width() pixels apart. Null when empty.
    std::uint32_t* Row(int y) { return pixels_ ? pixels_ + static_cast<std::ptrdiff_t>(y) * width_ : nullptr; }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::uint32_t* pixels_ = nullptr;  // owned by bitmap_
    // Destroyed in reverse: the bitmap is deselected before the context and
    // the bitmap go.
    win::Bitmap bitmap_;
    win::MemoryDC context_;
    std::optional<win::SelectObjectScope> selected_;
};

}  // namespace quillora
