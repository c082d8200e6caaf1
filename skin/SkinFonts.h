// The fonts the skin was drawn for are Windows fonts; each comes with a
// fallback that every Linux desktop has, so text keeps its size and weight
// where the face itself is missing.
#pragma once

#include <QFont>

namespace kelm::skin {

// Dialog titles: 15 px, bold. The original asks for "Tohoma", a misspelt
// Tahoma that no system has; Tahoma is what was meant.
QFont TitleFont();

// The small "TM" drawn after trade-marked menu entries: Eurostile, 8 px.
QFont TradeMarkFont();

// Menu entries of the key-assignment pages: Arial, 14 px, normal weight.
QFont MenuFont();

}  // namespace kelm::skin
