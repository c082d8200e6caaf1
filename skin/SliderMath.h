// The one formula both sliders share: a position along a track of `span`
// pixels stands for value = minimum + offset × (maximum − minimum) / span.
#pragma once

namespace kelm::skin {

// Rounded to the nearest integer or truncated, then clamped to the range.
// A track without length (span 0 or less) stands for the minimum.
int ValueAt(int offset, int span, int minimum, int maximum, bool round);

// Where on the track a value sits: the inverse, to the nearest pixel, and
// within 0..span.
int OffsetOf(int value, int span, int minimum, int maximum);

}  // namespace kelm::skin
