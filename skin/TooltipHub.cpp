#include "skin/TooltipHub.h"

#include <QEvent>
#include <QWidget>

namespace kelm::skin {

void TooltipHub::Watch(QWidget* control) { control->installEventFilter(this); }

void TooltipHub::Offer(const QString& text) {
    if (text == text_) return;
    text_ = text;
    emit TooltipChanged(text_);
}

bool TooltipHub::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Enter) {
        if (const auto* control = qobject_cast<QWidget*>(watched)) Offer(control->toolTip());
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kelm::skin
