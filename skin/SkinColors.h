// The suite's colours, shared by the pictures drawn at build time and the
// controls that draw themselves, so that the two never drift apart.
#pragma once

#include <QColor>

namespace kelm::skin {

inline const QColor kBlue(0x35, 0xA0, 0xDE);
// Text on the dark skin; never pure white, which marks the outside of a
// shaped window in its pictures.
inline const QColor kLight(0xE8, 0xF4, 0xFC);
inline const QColor kDimText(0xAE, 0xB8, 0xC2);
inline const QColor kControlEdge(0x2A, 0x34, 0x40);
// A chosen row, or a key a page assigns.
inline const QColor kChosen(0x12, 0x2A, 0x3C);

}  // namespace kelm::skin
