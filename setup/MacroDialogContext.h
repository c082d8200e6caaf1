// What the macro manager and its panels share: the program folder with the
// pictures, the language's texts, the notices and questions they show over
// themselves, and the look of their lists.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "setup/MacroManager.h"
#include "setup/texts/LanguageTexts.h"

class QListWidget;
class QWidget;

namespace kelm {

// What a Full answer is full of.
enum class MacroSubject { Set, Macro, Event };

struct MacroDialogContext {
    std::string programFolder;
    const LanguageTexts& texts;

    QString Text(TextId id) const;
    // The notice an answer needs; false for the answers that need none
    // (done, an empty name, a command that does not apply to its row).
    bool Tell(MacroError error, MacroSubject subject, QWidget* parent) const;
    void Tell(TextId id, QWidget* parent) const;
    // A question with OK and Cancel: true for OK.
    bool Ask(const QString& question, QWidget* parent) const;
};

// A list on the field its page's picture draws for it.
void StyleMacroList(QListWidget& list, std::string_view layout);
// Scroll bars that keep to the skin's dark look.
QString MacroScrollBarStyle();

}  // namespace kelm
