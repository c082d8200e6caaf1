// The display itself: a small dark panel with a blue edge and the text in
// white, frameless and above every other window, that neither takes the
// focus nor the mouse, so it never gets in the way of a game.
#pragma once

#include <QPoint>
#include <QString>
#include <QWidget>

#include "osd/OsdController.h"

namespace kelm {

class OsdWindow final : public QWidget, public IOsdView {
public:
    OsdWindow();

    void ShowText(const std::string& text) override;
    void HideText() override;
    void MoveTo(int x, int y) override;

    // The 8-bit text as it is shown: UTF-8 where it is valid UTF-8, else
    // the Windows programs' Latin letters.
    static QString Decode(const std::string& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Layout();
    void Place();

    QString text_;
    QPoint wanted_;
};

}  // namespace kelm
