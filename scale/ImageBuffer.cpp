#include "scale/ImageBuffer.h"

#include <algorithm>
#include <utility>

#include "win/Log.h"

namespace quillora {

bool ImageBuffer::Resize(int width, int height) {
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (pixels_ && width == width_ && height == height_) return true;
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
    bitmap_ = std::move(bitmap);
    context_ = std::move(context);
    selected_.emplace(context_.get(), bitmap_.get());
    pixels_ = static_cast<std::uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return true;
}

bool ImageBuffer::Take(int width, int height, HDC dc) {
    if (!Resize(width, height)) return false;
    return !pixels_ || TakeRows(dc, 0, height_);
}

bool ImageBuffer::TakeRows(HDC dc, int y, int rows) {
    if (!pixels_ || rows <= 0 || rows > height_) return false;
    const bool copied = BitBlt(context_.get(), 0, 0, width_, rows, dc, 0, y, SRCCOPY);
    // The pixels are read straight from memory next: finish the copy first.
    GdiFlush();
    return copied;
}

bool ImageBuffer::Draw(HDC dc, int width, int height) const {
    if (!pixels_) return false;
    return BitBlt(dc, 0, 0, std::min(width, width_), std::min(height, height_), context_.get(), 0, 0, SRCCOPY);
}

bool ImageBuffer::IsBlack() const {
    if (!pixels_) return false;
    GdiFlush();
    // A row at a time, without a branch per pixel: most pictures end at their
    // first row, and a black one is read at the speed of memory.
    for (int y = 0; y < height_; ++y) {
        const std::uint32_t* row = pixels_ + static_cast<std::ptrdiff_t>(y) * width_;
        std::uint32_t any = 0;
        for (int x = 0; x < width_; ++x) any |= row[x];
        if (any & 0xFFFFFFu) return false;
    }
    return true;
}

const std::uint32_t* ImageBuffer::PixelAddress(int x, int y) const {
    if (!pixels_ || x < 0 || x >= width_ || y < 0 || y >= height_) return nullptr;
    return pixels_ + static_cast<std::ptrdiff_t>(y) * width_ + x;
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
    selected_.reset();
    context_.reset();
    bitmap_.reset();
    pixels_ = nullptr;
    width_ = height_ = 0;
}

}  // namespace quillora
