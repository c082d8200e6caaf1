#include "setup/DialogParts.h"

#include <QLabel>
#include <QLineEdit>

#include "skin/Layout.h"

namespace kelm {

QLabel* DialogLabel(const QString& text, const QRect& where, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(where);
    label->setStyleSheet(
        QStringLiteral("QLabel { color: #C8D0D8; background: transparent; } QLabel:disabled { color: #56616C; }"));
    return label;
}

// The skin's light blue: a notice is news, not an error box.
QLabel* DialogNotice(const QRect& where, QWidget* parent) {
    auto* notice = new QLabel(parent);
    notice->setGeometry(where);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    notice->setStyleSheet(QStringLiteral("color: #44BFFF; background: transparent;"));
    return notice;
}

QLineEdit* DialogField(std::string_view layout, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    skin::Place(*field, skin::ParseLayout(layout));
    field->setGeometry(field->geometry().adjusted(2, 1, -2, -1));
    field->setFrame(false);
    field->setStyleSheet(
        QStringLiteral("color: #E8F4FC; background: transparent; selection-background-color: #35A0DE;"));
    return field;
}

}  // namespace kelm
