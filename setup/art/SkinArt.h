// KelmSetup's pictures, drawn rather than kept: each window or page is
// described by its size, what its background shows and the controls that
// take pieces of its state pictures; the drawing is one set of small
// routines in the suite's colours (black, the blue RGB(0x35,0xA0,0xDE),
// white text drawn by the controls themselves). Texts are never part of a
// picture, so every language fits.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <string_view>
#include <vector>

#include "skin/SkinArtParts.h"

class QPainter;

namespace kelm::art {

// The looks every program's pictures are drawn in.
using Look = skin::ArtLook;

enum class ControlKind {
    Button,    // a push button; pressed doubles as "selected" for slots
    Tab,       // a page tab; pressed is the chosen tab
    Marker,    // the Windows-profile marker; pressed is marked
    Switch,    // a two-state switch with its box at the left
    Dropdown,  // a button that opens a menu
    Field,     // an edit field
    Minimize,  // the title bar's glyphs
    Close,
    Entry,  // a row of the language chooser
};

struct ArtControl {
    std::string_view layout;
    ControlKind kind;
};

struct ArtWindow {
    QString name;  // the pictures' base name
    QSize size;
    // Panels, section frames and slider tracks that every state shares.
    std::function<void(QPainter&)> background;
    std::vector<ArtControl> controls;
    bool shaped = false;  // rounded corners outside the window (pure white)
};

// Every window and page of KelmSetup.
std::vector<ArtWindow> SetupWindows();

// The background alone, and the background with every control in one look.
QImage RenderBackground(const ArtWindow& window, qreal scale);
QImage RenderLook(const ArtWindow& window, Look look, qreal scale);

// The small pictures that are no page: the slider thumb, the picture shown
// while the maker's mouse is attached, and the icon.
QImage RenderSliderThumb(qreal scale);
QImage RenderMouse(qreal scale);
QImage RenderIcon(int size);

}  // namespace kelm::art
