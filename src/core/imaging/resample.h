#pragma once
// Area-average resampling: every output pixel is the mean of the source area it covers,
// partly covered source pixels counting by the covered fraction. Used to reduce a picture
// to an exact size without dropping pixels.

#include "imaging/image.h"

namespace fotela {

// The picture at width x height (each at least 1). Integer arithmetic throughout, so the
// result has the same bits everywhere. Also works for enlarging (pixels then repeat with
// blended borders), though it is meant for reducing.
Image resizeAreaAverage(const Image& source, int width, int height);

}  // namespace fotela
