// The shape of a skinned window: everything of its background picture that
// is not pure white.
#pragma once

#include <QImage>
#include <QRegion>

namespace kelm::skin {

// One rectangle per run of pixels that are not pure white (RGB 255, 255,
// 255, no tolerance) on each row, in image pixels. Fully transparent pixels
// are outside as well, so pictures with an alpha channel shape the same way.
QRegion RegionFromPicture(const QImage& picture);

}  // namespace kelm::skin
