// The key-assignment pages' questions answered by KelmSetup's skinned
// dialogs, in the language the main window shows at the time.
#pragma once

#include <string>

#include "setup/KeyPageDialogs.h"
#include "setup/texts/LanguageTexts.h"

class QWidget;

namespace kelm {

class CKeyPageDialogs final : public IKeyPageDialogs {
public:
    // texts is the window's, which follows a change of language.
    CKeyPageDialogs(std::string programFolder, const LanguageTexts& texts, QWidget* parent)
        : programFolder_(std::move(programFolder)), texts_(texts), parent_(parent) {}

    std::optional<ShortcutChoice> AskShortcut(const ShortcutChoice& current) override;
    std::optional<std::string> AskQuickLaunchPath(const std::string& current) override;
    std::optional<TimerRecord> AskNewTimer(const TimerList& timers) override;
    bool EditTimers(TimerList& timers) override;
    std::optional<MacroLibrary> RunMacroManager(const MacroLibrary& library, int startSet,
                                                const MacroKeyInfo& entry) override;

private:
    std::string programFolder_;
    const LanguageTexts& texts_;
    QWidget* parent_;
};

}  // namespace kelm
