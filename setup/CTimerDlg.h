// The two timer dialogs of "Assign a Timer". Create Timer asks for a new
// timer's name and seconds; Enter and Escape do nothing there, and OK closes
// only on a name that is new and not empty. Edit/Delete Timer shows the
// timer chosen from LIST_TIMER's menu, where Save renames it or changes its
// seconds and Delete removes it after asking; it works on a copy of the
// list that becomes the list only on OK, which saves as Save does first.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "settings/MacroLibrary.h"
#include "setup/TimerEdits.h"
#include "setup/texts/LanguageTexts.h"
#include "skin/PictureButton.h"
#include "skin/SkinDialog.h"
#include "skin/SkinMenu.h"

class QLabel;
class QLineEdit;
class QSpinBox;

namespace kelm {

class CTimerDlg : public skin::SkinDialog {
    Q_OBJECT
public:
    enum class Mode { Create, Edit };
    CTimerDlg(const std::string& programFolder, const LanguageTexts& texts, Mode mode, const TimerList& timers,
              QWidget* parent);

    // Create: the timer that OK made, to be appended; nullopt before.
    const std::optional<TimerRecord>& NewTimer() const { return made_; }
    // Edit: the list with the changes made so far.
    const TimerList& Timers() const { return editor_.Timers(); }

    // LIST_TIMER's menu, the shown timer checked.
    std::unique_ptr<skin::SkinMenu> TimerMenu() const;
    // What choosing timer index in that menu does; -1 shows none.
    void ShowTimer(int index);

    // OK: Create checks the fields and stays open on a problem, which the
    // notice names; Edit saves the shown timer and closes in any case.
    void accept() override;

    static std::optional<TimerRecord> Create(const std::string& programFolder, const LanguageTexts& texts,
                                             const TimerList& timers, QWidget* parent);
    // False on Cancel or close, with timers untouched.
    static bool Edit(const std::string& programFolder, const LanguageTexts& texts, TimerList& timers, QWidget* parent);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OpenTimerMenu();
    void OnSave();
    void OnDelete();
    int Seconds() const;
    void Tell(TimerProblem problem);

    std::string programFolder_;
    const LanguageTexts& texts_;
    Mode mode_;
    // Create checks against its list and never changes it.
    TimerEditor editor_;
    std::optional<TimerRecord> made_;
    skin::PictureButton* list_ = nullptr;
    QLineEdit* name_ = nullptr;
    QSpinBox* seconds_ = nullptr;
    QLabel* notice_ = nullptr;
};

}  // namespace kelm
