// The pieces of page backgrounds that the windows' descriptions share,
// drawn in SkinArt.cpp in the suite's colours.
#pragma once

#include <QRect>
#include <span>
#include <string_view>
#include <vector>

#include "setup/art/SkinArt.h"

class QPainter;

namespace kelm::art {

void DrawSection(QPainter& p, const QRect& rect);
void DrawPanel(QPainter& p, const QRect& rect);
void DrawTrack(QPainter& p, std::string_view layout);
void DrawKeyboardBand(QPainter& p, const QRect& area);
void DrawKeyboard(QPainter& p, std::span<const std::string_view> assigned);

// Each group of windows is described in a file of its own.
std::vector<ArtWindow> MainWindows();
std::vector<ArtWindow> KeyDialogWindows();
std::vector<ArtWindow> MacroManagerWindows();

}  // namespace kelm::art
