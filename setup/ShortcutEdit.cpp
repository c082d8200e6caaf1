#include "setup/ShortcutEdit.h"

#include "keyboard/KeyCodes.h"
#include "keyboard/KeyNames.h"
#include "setup/MacroRecorder.h"

namespace kelm {

namespace {

constexpr std::uint8_t kModifierBits = kShortcutShift | kShortcutCtrl | kShortcutAlt | kShortcutWin;

// A keyboard key: the mouse rows of the table are no key to press.
bool IsKeyUsage(std::uint8_t usage) { return FindKeyCode(usage) != nullptr && !IsMouseButtonCode(usage); }

}  // namespace

ShortcutEdit::ShortcutEdit(const ShortcutChoice& current)
    : usage_(IsKeyUsage(current.usage) ? current.usage : 0),
      modifiers_((current.modifiers & kShortcutNone) != 0
                     ? kShortcutNone
                     : static_cast<std::uint8_t>(current.modifiers & kModifierBits)) {}

bool ShortcutEdit::PressKey(std::uint16_t inputCode) {
    const auto usage = UsageOfInputCode(inputCode);
    if (!usage) return false;
    usage_ = *usage;
    return true;
}

void ShortcutEdit::SetBox(std::uint8_t bit, bool ticked) {
    if (bit == kShortcutNone) {
        modifiers_ = ticked ? kShortcutNone : 0;
        return;
    }
    if ((bit & kModifierBits) == 0 || !BoxEnabled(bit)) return;
    modifiers_ = static_cast<std::uint8_t>(ticked ? (modifiers_ | bit) : (modifiers_ & ~bit));
}

std::string ShortcutEdit::KeyName() const { return usage_ == 0 ? std::string() : UsageName(usage_); }

std::optional<ShortcutChoice> ShortcutEdit::Choice() const {
    if (usage_ == 0) return std::nullopt;
    return ShortcutChoice{usage_, modifiers_};
}

}  // namespace kelm
