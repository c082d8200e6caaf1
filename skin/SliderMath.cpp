#include "skin/SliderMath.h"

#include <algorithm>
#include <cmath>

namespace kelm::skin {

int ValueAt(int offset, int span, int minimum, int maximum, bool round) {
    if (span <= 0) return minimum;
    // In double: offset × range overflows int for wide ranges on wide tracks.
    const double raw = minimum + static_cast<double>(offset) * (static_cast<double>(maximum) - minimum) / span;
    const double value = round ? std::round(raw) : std::trunc(raw);
    return static_cast<int>(std::clamp(value, static_cast<double>(minimum), static_cast<double>(maximum)));
}

int OffsetOf(int value, int span, int minimum, int maximum) {
    if (maximum <= minimum || span <= 0) return 0;
    const double offset = (static_cast<double>(value) - minimum) * span / (static_cast<double>(maximum) - minimum);
    return static_cast<int>(std::clamp(std::round(offset), 0.0, static_cast<double>(span)));
}

}  // namespace kelm::skin
