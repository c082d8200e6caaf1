#include "skin/SkinRegion.h"

#include <vector>

namespace kelm::skin {

namespace {

// Rows are added as blocks of rectangles: setRects takes a banded list in
// one step, where a union per run would copy the region each time.
constexpr std::size_t kBlock = 2000;

bool Inside(QRgb pixel) { return qAlpha(pixel) != 0 && (pixel & RGB_MASK) != (qRgb(255, 255, 255) & RGB_MASK); }

void AddBlock(QRegion& region, std::vector<QRect>& runs) {
    if (runs.empty()) return;
    QRegion block;
    block.setRects(runs.data(), static_cast<int>(runs.size()));
    region += block;
    runs.clear();
}

}  // namespace

QRegion RegionFromPicture(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    QRegion region;
    std::vector<QRect> runs;
    runs.reserve(kBlock);
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && !Inside(row[x])) ++x;
            const int start = x;
            while (x < image.width() && Inside(row[x])) ++x;
            if (x > start) runs.emplace_back(start, y, x - start, 1);
            if (runs.size() >= kBlock) AddBlock(region, runs);
        }
    }
    AddBlock(region, runs);
    return region;
}

}  // namespace kelm::skin
