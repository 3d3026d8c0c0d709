#include "pseudo/ImageBuffer.h"

#include <algorithm>
#include <utility>

#include "win/Log.h"

namespace quillora {

bool ImageBuffer::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (Pixels_ && width == Width_ && height == Height_) return true;
    Release();
    if (width == 0 || height == 0) return true;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: rows top first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    win::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    win::MemoryDC context(CreateCompatibleDC(nullptr));
    // A picture that cannot be made leaves the capture showing nothing new
    // instead of taking the program down.
    if (!bitmap || !bits || !context) {
        win::LogFailure(!context ? "CreateCompatibleDC" : "CreateDIBSection");
        return false;
    }
    Bitmap_ = std::move(bitmap);
    Context_ = std::move(context);
    Selected_.emplace(Context_.get(), Bitmap_.get());
    Pixels_ = static_cast<std::uint32_t*>(bits);
    Width_ = width;
    Height_ = height;
    return true;
}

bool ImageBuffer::Take(int width, int height, HDC dc) {
    if (!Resize(width, height)) return false;
    return !Pixels_ || TakeRows(dc, 0, Height_);
}

bool ImageBuffer::TakeRows(HDC dc, int y, int rows) {
    if (!Pixels_ || rows <= 0 || rows > Height_) return false;
    const bool copied = BitBlt(Context_.get(), 0, 0, Width_, rows, dc, 0, y, SRCCOPY);
    // The pixels are read straight from memory next: finish the copy first.
    GdiFlush();
    return copied;
}

bool ImageBuffer::Draw(HDC dc, int width, int height) const {
    if (!Pixels_) return false;
    return BitBlt(dc, 0, 0, std::min(width, Width_), std::min(height, Height_), Context_.get(), 0, 0, SRCCOPY);
}

const std::uint32_t* ImageBuffer::PixelAddress(int x, int y) const {
    if (!Pixels_ || x < 0 || x >= Width_ || y < 0 || y >= Height_) return nullptr;
    return Pixels_ + static_cast<std::ptrdiff_t>(y) * Width_ + x;
}

std::uint32_t* ImageBuffer::PixelAddress(int x, int y) {
    return const_cast<std::uint32_t*>(std::as_const(*this).PixelAddress(x, y));
}

std::uint32_t ImageBuffer::ReadPixel(int x, int y) const {
    const std::uint32_t* pixel = PixelAddress(x, y);
    return pixel ? *pixel : 0;
}

void ImageBuffer::WritePixel(int x, int y, std::uint32_t value) {
    if (std::uint32_t* pixel = PixelAddress(x, y)) *pixel = value;
}

void ImageBuffer::Release() {
    Selected_.reset();
    Context_.reset();
    Bitmap_.reset();
    Pixels_ = nullptr;
    Width_ = Height_ = 0;
}

}  // namespace quillora
