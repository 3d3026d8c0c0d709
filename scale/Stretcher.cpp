#include "scale/Stretcher.h"

#include <algorithm>

namespace quillora {

namespace {

// About this many bytes of the original per strip: small enough to stay in
// the processor's cache between the copy and the scaling, large enough that
// the copies are few.
constexpr int kStripBytes = 256 * 1024;

// Hands the scaler the original's rows, copying a strip at a time into one
// buffer that is reused.
class CapturedRows : public RowSource {
public:
    CapturedRows(ImageBuffer& strip, HDC original, int height) : strip_(strip), original_(original), height_(height) {}

    Run Rows(int y) override {
        const int rows = std::min(strip_.Height(), height_ - y);
        if (rows <= 0 || !strip_.TakeRows(original_, y, rows)) return {};
        return {strip_.Row(0), strip_.Width(), rows};
    }

private:
    ImageBuffer& strip_;
    HDC original_;
    int height_;
};

}  // namespace

bool SpeedStretcher::Stretch(HDC dst, int dw, int dh, HDC src, int sw, int sh) {
    // No stretch mode is set: the context's default is an unfiltered copy,
    // the cheapest the platform has.
    return StretchBlt(dst, 0, 0, dw, dh, src, 0, 0, sw, sh, SRCCOPY) != FALSE;
}

bool QualityStretcher::Stretch(HDC dst, int dw, int dh, HDC src, int sw, int sh) {
    // An empty original leaves the previous picture; nothing failed.
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return true;
    scaler_.Prepare(sw, sh, dw, dh);
    const int stripRows = std::clamp(kStripBytes / 4 / sw, 1, sh);
    // A picture that could not be made or taken must not be drawn over the
    // previous one.
    if (!source_.Resize(sw, stripRows) || !destination_.Resize(scaler_.ReachedWidth(), scaler_.ReachedHeight())) {
        return false;
    }
    CapturedRows rows(source_, src, sh);
    if (!scaler_.Scale(rows, destination_.Row(0), destination_.Width())) return false;
    // Only what the scaler wrote; the rest of the back buffer keeps its pixels.
    return destination_.Draw(dst, destination_.Width(), destination_.Height());
}

}  // namespace quillora
