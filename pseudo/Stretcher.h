// Scaling strategies that render an original's client area into a pseudo
// window's back buffer.
#pragma once

#include <windows.h>

#include <memory>

#include "pseudo/BoxScaler.h"
#include "pseudo/ImageBuffer.h"

namespace quillora {

class Stretcher {
public:
    virtual ~Stretcher() = default;
    // Same arguments as StretchBlt without the raster operation. False when
    // the picture could not be taken (the destination keeps what it had).
    virtual bool Stretch(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh) = 0;
};

// The platform's stretching copy.
class SpeedStretcher : public Stretcher {
public:
    bool Stretch(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh) override;
};

// Box-average scaling on 32-bit buffers. The original is copied a strip of
// rows at a time and each strip is scaled while it is still in the cache;
// the buffers and the boxes are kept from one capture to the next.
class QualityStretcher : public Stretcher {
public:
    bool Stretch(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh) override;

private:
    BoxScaler scaler_;
    ImageBuffer source_;       // the current strip of the original's rows
    ImageBuffer destination_;  // the scaled picture
};

// QualityStretcher for a non-zero draw method, SpeedStretcher otherwise.
std::shared_ptr<Stretcher> MakeStretcher(std::int32_t drawMethod);

}  // namespace quillora
