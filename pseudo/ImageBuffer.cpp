#include "pseudo/ImageBuffer.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <utility>

#include "win/Handles.h"

namespace quillora {

namespace {

constexpr WORD kBitsPerPixel = 32;
constexpr LONG kPelsPerMeter = 7200;
constexpr std::uint32_t kChannelMask = 0xFF;
constexpr int kRedShift = 16;
constexpr int kGreenShift = 8;

// Widening to this many columns and rows keeps a box from collapsing to a
// single sample when the scale is 1 or close to it.
constexpr int kMinBoxSpan = 2;

std::size_t PixelCount(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// Half-open range [first, last) of one box side in source pixels: truncated,
// widened to kMinBoxSpan, then clamped to [0, limit).
struct Span {
    int first;
    int last;
};

Span BoxSpan(double from, double to, int limit) {
    int first = static_cast<int>(from);
    int last = static_cast<int>(std::min<double>(limit, to));
    if (last <= first + 1) last = first + kMinBoxSpan;
    // The widening reaches past the last column or row when the box lies on
    // it; only pixels inside the picture are summed.
    first = std::clamp(first, 0, limit);
    last = std::clamp(last, first, limit);
    return {first, last};
}

}  // namespace

ImageBuffer::ImageBuffer() { fillHeader(); }

void ImageBuffer::fillHeader() {
    Header_ = BITMAPINFOHEADER{};
    Header_.biSize = sizeof(BITMAPINFOHEADER);
    Header_.biWidth = Width_;
    Header_.biHeight = Height_;  // positive: rows bottom-up
    Header_.biPlanes = 1;
    Header_.biBitCount = kBitsPerPixel;
    Header_.biCompression = BI_RGB;
    Header_.biSizeImage = 0;
    Header_.biXPelsPerMeter = kPelsPerMeter;
    Header_.biYPelsPerMeter = kPelsPerMeter;
    Header_.biClrUsed = 0;
    Header_.biClrImportant = 0;
}

void ImageBuffer::Allocate(int width, int height) {
    Release();
    Width_ = std::max(width, 0);
    Height_ = std::max(height, 0);
    Context_ = nullptr;
    const std::size_t count = PixelCount(Width_, Height_);
    // A failed allocation leaves an empty picture: the capture shows nothing
    // new instead of taking the program down.
    if (count != 0) Pixels_.reset(new (std::nothrow) std::uint32_t[count]());
    if (!Pixels_) Width_ = Height_ = 0;
    fillHeader();
}

bool ImageBuffer::Take(int width, int height, HDC dc) {
    Allocate(width, height);
    Context_ = dc;
    if (Width_ == 0 || Height_ == 0) return width <= 0 || height <= 0;
    if (!copyFrom(dc)) {
        Release();
        return false;
    }
    return true;
}

bool ImageBuffer::copyFrom(HDC dc) {
    win::MemoryDC memory(CreateCompatibleDC(dc));
    win::Bitmap bitmap(CreateCompatibleBitmap(dc, Width_, Height_));
    if (!memory || !bitmap) return false;
    {
        win::SelectObjectScope selected(memory.get(), bitmap.get());
        if (!BitBlt(memory.get(), 0, 0, Width_, Height_, dc, 0, 0, SRCCOPY)) return false;
    }
    // GetDIBits wants the bitmap deselected, hence the copy after the scope.
    const int lines = GetDIBits(memory.get(), bitmap.get(), 0, static_cast<UINT>(Height_), Pixels_.get(),
                                reinterpret_cast<BITMAPINFO*>(&Header_), DIB_RGB_COLORS);
    // GetDIBits may rewrite biSizeImage; keep the header as described.
    fillHeader();
    return lines == Height_;
}

int ImageBuffer::Draw() {
    if (!Pixels_ || !Context_) return 0;
    return SetDIBitsToDevice(Context_, 0, 0, static_cast<DWORD>(Width_), static_cast<DWORD>(Height_), 0, 0, 0,
                             static_cast<UINT>(Height_), Pixels_.get(), reinterpret_cast<const BITMAPINFO*>(&Header_),
                             DIB_RGB_COLORS);
}

const std::uint32_t* ImageBuffer::PixelAddress(int x, int y) const {
    if (!Pixels_ || x < 0 || x >= Width_ || y < 0 || y >= Height_) return nullptr;
    return Pixels_.get() + PixelCount(Width_, Height_ - y - 1) + static_cast<std::size_t>(x);
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

void ImageBuffer::Release() { Pixels_.reset(); }

std::uint32_t BoxAverage(const ImageBuffer& source, double x0, double y0, double x1, double y1) {
    const Span columns = BoxSpan(x0, x1, source.Width());
    const Span rows = BoxSpan(y0, y1, source.Height());
    const std::size_t n = PixelCount(columns.last - columns.first, rows.last - rows.first);
    if (n == 0) return 0;

    // 64-bit sums: a 32-bit sum of one channel overflows once a box holds
    // more than about 16.8 million pixels (a very large original shrunk to
    // a pixel or two).
    std::uint64_t red = 0, green = 0, blue = 0;
    const std::uint32_t* pixels = source.Pixels();
    for (int y = rows.first; y < rows.last; ++y) {
        const std::uint32_t* row = pixels + PixelCount(source.Width(), source.Height() - y - 1);
        for (int x = columns.first; x < columns.last; ++x) {
            const std::uint32_t word = row[x];
            red += (word >> kRedShift) & kChannelMask;
            green += (word >> kGreenShift) & kChannelMask;
            blue += word & kChannelMask;
        }
    }
    return static_cast<std::uint32_t>((red / n) << kRedShift | (green / n) << kGreenShift | (blue / n));
}

void BoxScale(const ImageBuffer& source, ImageBuffer& destination) {
    const int sw = source.Width(), sh = source.Height();
    const int dw = destination.Width(), dh = destination.Height();
    // An empty side on either picture leaves nothing to sample or to write.
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;

    const double ex = static_cast<double>(sw) / dw;
    const double ey = static_cast<double>(sh) / dh;
    // The box edges are accumulated by repeated addition, and the loops run
    // over the source extent; the guards keep the writes in the destination.
    double y0 = 0, y1 = ey;
    int i = 0;
    for (double ry = 0; ry < sh; ry += ey, ++i) {
        double x0 = 0, x1 = ex;
        int j = 0;
        for (double rx = 0; rx < sw; rx += ex, ++j) {
            if (j < dw && i < dh) destination.WritePixel(j, i, BoxAverage(source, x0, y0, x1, y1));
            x0 = x1;
            x1 += ex;
        }
        y0 = y1;
        y1 += ey;
    }
}

}  // namespace quillora
