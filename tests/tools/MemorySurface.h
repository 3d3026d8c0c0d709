// A memory device context with its own bitmap selected, standing in for an
// original window's client area (a top-down 32-bit DIB section whose pixels
// can be written directly) or for a pseudo window's back buffer (a bitmap
// compatible with the screen).
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>

#include "ReferenceBoxScale.h"
#include "win/Handles.h"

namespace quillora::test_support {

class MemorySurface {
public:
    enum Kind { DibSection, ScreenCompatible };

    MemorySurface(int width, int height, Kind kind) : width_(width), height_(height) {
        win::WindowDC screen(nullptr);
        dc_.reset(CreateCompatibleDC(screen.get()));
        if (kind == DibSection) {
            BITMAPINFO info = TopDownInfo(width, height);
            void* bits = nullptr;
            bitmap_.reset(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
            bits_ = static_cast<std::uint32_t*>(bits);
        } else {
            bitmap_.reset(CreateCompatibleBitmap(screen.get(), width, height));
        }
        selected_.emplace(dc_.get(), bitmap_.get());
    }

    HDC dc() const { return dc_.get(); }
    bool valid() const { return dc_ && bitmap_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Rows top first; null unless a DIB section.
    std::uint32_t* bits() const { return bits_; }

    void Fill(COLORREF colour) {
        win::Brush brush(CreateSolidBrush(colour));
        const RECT all{0, 0, width_, height_};
        FillRect(dc_.get(), &all, brush.get());
    }

    // Writes a picture of the surface's size at (0, 0).
    void Write(const Picture& picture) {
        BITMAPINFO info = TopDownInfo(picture.width, picture.height);
        SetDIBitsToDevice(dc_.get(), 0, 0, static_cast<DWORD>(picture.width), static_cast<DWORD>(picture.height), 0, 0,
                          0, static_cast<UINT>(picture.height), picture.pixels.data(), &info, DIB_RGB_COLORS);
    }

    // The surface's pixels, top byte cleared.
    Picture Read() const {
        MemorySurface copy(width_, height_, DibSection);
        Picture picture(width_, height_);
        if (!copy.valid()) return picture;
        BitBlt(copy.dc(), 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
        GdiFlush();
        for (std::size_t i = 0; i < picture.pixels.size(); ++i) picture.pixels[i] = copy.bits()[i] & 0xFFFFFF;
        return picture;
    }

    static BITMAPINFO TopDownInfo(int width, int height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        return info;
    }

private:
    int width_, height_;
    win::MemoryDC dc_;
    win::Bitmap bitmap_;
    std::optional<win::SelectObjectScope> selected_;
    std::uint32_t* bits_ = nullptr;
};

}  // namespace quillora::test_support
