// The macro manager, "Kelm Macro Manager": the set selector with its menu,
// the macro list named in place, New and Delete, and the editor panel that
// shows the event-list editor or the timeline editor (Switch_editor). It
// works on a copy of the library in a MacroManager: OK hands the copy back
// as the user left it, Cancel, the close button and Escape drop it. A
// recording holds the keyboard until it stops, and it stops whenever the
// dialog closes, whichever way.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "settings/MacroLibrary.h"
#include "setup/MacroDialogContext.h"
#include "setup/MacroManager.h"
#include "setup/SkinSet.h"
#include "skin/SkinDialog.h"
#include "skin/SkinMenu.h"

namespace kelm::skin {
class EditableList;
}

namespace kelm {

class CMacroEventEditor;
class CMacroTimelineEditor;

class CMacroManagerDlg final : public skin::SkinDialog {
    Q_OBJECT
public:
    // startSet -1 opens for a new macro; entry's macro is preselected. The
    // window's own keys of a recording are timed by clock.
    CMacroManagerDlg(const std::string& programFolder, const LanguageTexts& texts, const MacroLibrary& library,
                     int startSet, const MacroKeyInfo& entry, QWidget* parent, const Clock& clock = SteadyClock());
    ~CMacroManagerDlg() override;

    // Runs the dialog: the library as the user left it on OK (the timeline
    // written back, a recording stopped), nullopt otherwise.
    static std::optional<MacroLibrary> Run(const std::string& programFolder, const LanguageTexts& texts,
                                           const MacroLibrary& library, int startSet, const MacroKeyInfo& entry,
                                           QWidget* parent);

    // After OK: the library as the user left it. Once only.
    MacroLibrary TakeLibrary();
    const MacroManager& Manager() const { return manager_; }
    CMacroEventEditor* EventEditor() const { return events_; }
    CMacroTimelineEditor* TimelineEditor() const { return timeline_; }

    // The set field's menu, and its commands as a click runs them.
    std::unique_ptr<skin::SkinMenu> SetMenu() const;
    void OnSetMenuCommand(int command);

    // Every way the dialog closes comes here: a recording stops first.
    void done(int result) override;

private:
    void OnSetField();
    void AddSet();
    void DeleteSet();
    void RenameSet();
    void OnNew();
    void OnNewRowNamed(int row);
    void OnRowEdited(int row);
    void OnDelete();
    void OnRowSelected(int row);
    void OnSwitchEditor();
    void OnRecordingChanged(bool recording);
    // The whole dialog from the manager.
    void Refresh();
    void FillMacroList();
    void RefreshEditor();

    MacroManager manager_;
    MacroKeyInfo entry_;
    MacroDialogContext context_;
    skin::PictureButton* setField_ = nullptr;
    skin::EditableList* macros_ = nullptr;
    skin::PictureButton* new_ = nullptr;
    skin::PictureButton* delete_ = nullptr;
    skin::PictureButton* switch_ = nullptr;
    SkinSet::DialogButtons end_{};
    CMacroEventEditor* events_ = nullptr;
    CMacroTimelineEditor* timeline_ = nullptr;
};

}  // namespace kelm
