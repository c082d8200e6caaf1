// The pieces of KelmSetup's small dialogs besides their buttons: captions
// and notices in the dialog's colours, and edit fields drawn on the boxes
// the skin's pictures hold for them.
#pragma once

#include <QRect>
#include <QString>
#include <string_view>

class QLabel;
class QLineEdit;
class QWidget;

namespace kelm {

QLabel* DialogLabel(const QString& text, const QRect& where, QWidget* parent);

// A notice under the fields that says why the dialog did not close; empty
// until there is something to say.
QLabel* DialogNotice(const QRect& where, QWidget* parent);

// A frameless field a hair inside its drawn box, so the box's edge stays
// visible.
QLineEdit* DialogField(std::string_view layout, QWidget* parent);

}  // namespace kelm
