#include "pseudo/Stretcher.h"

#include <boost/make_shared.hpp>

#include "rules/Rule.h"

namespace quillora {

void SpeedStretcher::Stretch(HDC dst, int dx, int dy, int dw, int dh, HDC src, int sx, int sy, int sw, int sh) {
    // No stretch mode is set: the context's default is an unfiltered copy,
    // the cheapest the platform has.
    StretchBlt(dst, dx, dy, dw, dh, src, sx, sy, sw, sh, SRCCOPY);
}

// Both pictures are taken from (0, 0): every caller renders a whole client
// area into a whole back buffer, so the origins are always 0.
void QualityStretcher::Stretch(HDC dst, int /*dx*/, int /*dy*/, int dw, int dh, HDC src, int /*sx*/, int /*sy*/,
                               int sw, int sh) {
    Source.Release();
    Destination.Release();
    // A picture that could not be taken must not be drawn as black over the
    // previous one.
    if (!Source.Take(sw, sh, src) || !Destination.Take(dw, dh, dst)) return;
    BoxScale(Source, Destination);
    Destination.Draw();
}

boost::shared_ptr<Stretcher> MakeStretcher(std::int32_t drawMethod) {
    if (drawMethod == SpeedPriority) return boost::make_shared<SpeedStretcher>();
    return boost::make_shared<QualityStretcher>();
}

}  // namespace quillora
