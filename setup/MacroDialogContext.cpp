#include "setup/MacroDialogContext.h"

#include <QListWidget>
#include <optional>

#include "setup/CConfirmDlg.h"
#include "setup/SkinSet.h"
#include "skin/Layout.h"

namespace kelm {

namespace {

std::optional<TextId> NoticeOf(MacroError error, MacroSubject subject) {
    switch (error) {
        case MacroError::NoSet:
            return TextId::kNoSetNotice;
        case MacroError::NoMacro:
            return TextId::kNoMacroNotice;
        case MacroError::DuplicateName:
            return TextId::kDuplicateNameNotice;
        case MacroError::ReservedName:
            return TextId::kReservedNameNotice;
        case MacroError::NameTooLong:
            return TextId::kNameTooLongNotice;
        case MacroError::BadCharacter:
            return TextId::kBadCharacterNotice;
        case MacroError::Full:
            return subject == MacroSubject::Set     ? TextId::kSetsFullNotice
                   : subject == MacroSubject::Macro ? TextId::kMacrosFullNotice
                                                    : TextId::kEventsFullNotice;
        case MacroError::None:
        case MacroError::EmptyName:
        case MacroError::NotAllowed:
        case MacroError::Recording:
            break;
    }
    return std::nullopt;
}

}  // namespace

QString MacroDialogContext::Text(TextId id) const { return Utf8(texts.Text(id)); }

bool MacroDialogContext::Tell(MacroError error, MacroSubject subject, QWidget* parent) const {
    const std::optional<TextId> notice = NoticeOf(error, subject);
    if (notice) Tell(*notice, parent);
    return notice.has_value();
}

void MacroDialogContext::Tell(TextId id, QWidget* parent) const {
    CConfirmDlg::Tell(programFolder, texts, Text(id), parent);
}

bool MacroDialogContext::Ask(const QString& question, QWidget* parent) const {
    return CConfirmDlg::Ask(programFolder, texts, question, parent);
}

// The page draws the list's box; the list sits a pixel inside it so that
// the box's edge stays visible, and keeps its rows readable while it is
// off during a recording, when it shows the keys coming in.
void StyleMacroList(QListWidget& list, std::string_view layout) {
    skin::Place(list, skin::ParseLayout(layout));
    list.setGeometry(list.geometry().adjusted(1, 1, -1, -1));
    list.setFrameShape(QFrame::NoFrame);
    list.setIconSize(QSize(12, 12));
    list.setStyleSheet(QStringLiteral("QListWidget { background: transparent; color: #E8F4FC; outline: none; }"
                                      "QListWidget:disabled { color: #8A96A2; }"
                                      "QListWidget::item { height: 17px; }"
                                      "QListWidget::item:selected { background: #35A0DE; color: #FFFFFF; }"
                                      "QLineEdit { background: #05060A; color: #FFFFFF; border: 1px solid #35A0DE; }") +
                       MacroScrollBarStyle());
}

QString MacroScrollBarStyle() {
    return QStringLiteral(
        "QScrollBar { background: #0E1216; margin: 0; }"
        "QScrollBar:vertical { width: 10px; }"
        "QScrollBar:horizontal { height: 10px; }"
        "QScrollBar::handle { background: #2A3440; border-radius: 4px; }"
        "QScrollBar::handle:vertical { min-height: 20px; }"
        "QScrollBar::handle:horizontal { min-width: 20px; }"
        "QScrollBar::handle:hover { background: #35A0DE; }"
        "QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }"
        "QScrollBar::add-page, QScrollBar::sub-page { background: none; }");
}

}  // namespace kelm
