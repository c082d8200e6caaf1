// The owner-drawn popup menu of the pages: black entries, the selected one
// on the skin's blue, checked entries in a lighter blue, an optional small
// "TM" after a trade-marked name, and a frame of one blue and two black
// lines. Each entry carries the command id the page acts on.
#pragma once

#include <QMenu>

#include "skin/SkinFonts.h"

namespace kelm::skin {

constexpr int kMenuItemHeight = 16 + 2;
constexpr int kMenuSeparatorHeight = 5;
constexpr int kMenuPixelsPerCharacter = 8;
constexpr int kMenuFrameWidth = 3;

class SkinMenu : public QMenu {
    Q_OBJECT
public:
    explicit SkinMenu(const QFont& font = MenuFont(), QWidget* parent = nullptr);

    QAction* AppendItem(int commandId, const QString& text, bool checked = false, bool tradeMark = false);
    QAction* AppendPopup(SkinMenu* popup, const QString& text);
    void AppendSeparator();

    // A width of 0 or less brings back the estimate from the longest text.
    void SetWidth(int pixels) { width_ = pixels; }
    int ItemWidth() const;

    // Shows the menu with its top-left corner at a screen point and waits
    // for the choice: the command id, or 0 when the menu was closed.
    int Track(const QPoint& screenPoint);
    // Shows the menu and returns at once; the choice comes as CommandChosen.
    void Popup(const QPoint& screenPoint);

    static int CommandOf(const QAction* action);
    static bool TradeMarked(const QAction* action);

signals:
    // The WM_COMMAND of the chosen entry.
    void CommandChosen(int commandId);

private:
    int width_ = 0;
};

}  // namespace kelm::skin
