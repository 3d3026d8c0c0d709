// Scaling strategies that render an original's client area into a pseudo
// window's back buffer.
#pragma once

#include <windows.h>

#include "scale/BoxScaler.h"
#include "scale/ImageBuffer.h"

namespace quillora {

class Stretcher {
public:
    virtual ~Stretcher() = default;
    // The whole of `src`, sw x sh from its origin, scaled into the whole of
    // `dst`, dw x dh from its origin. False when the picture could not be
    // taken (the destination keeps what it had).
    virtual bool Stretch(HDC dst, int dw, int dh, HDC src, int sw, int sh) = 0;
};

// The platform's stretching copy.
class SpeedStretcher : public Stretcher {
public:
    bool Stretch(HDC dst, int dw, int dh, HDC src, int sw, int sh) override;
};

// Box-average scaling on 32-bit buffers. The original is copied a strip of
// rows at a time and each strip is scaled while it is still in the cache;
// the buffers and the boxes are kept from one capture to the next.
class QualityStretcher : public Stretcher {
public:
    bool Stretch(HDC dst, int dw, int dh, HDC src, int sw, int sh) override;

private:
    BoxScaler scaler_;
    ImageBuffer source_;       // the current strip of the original's rows
    ImageBuffer destination_;  // the scaled picture
};

}  // namespace quillora
