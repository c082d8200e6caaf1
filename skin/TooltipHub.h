// The window that shows tooltips keeps one current text. Controls report
// the text under the mouse; only a different text replaces it, so the main
// window's help line is rewritten once per control entered, not per move.
#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace kelm::skin {

class TooltipHub : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    const QString& Text() const { return text_; }

    // Makes the control report its toolTip() whenever the mouse enters it.
    void Watch(QWidget* control);
    void Offer(const QString& text);

signals:
    // 1125 (MSG_TOOLTIP_CHANGED, wParam 1): the current text was replaced.
    void TooltipChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString text_;
};

}  // namespace kelm::skin
