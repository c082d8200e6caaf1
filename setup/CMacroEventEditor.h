// The macro manager's event-list editor: the selected macro's events as
// rows with their delays, recording from the keyboard, the delay-capture
// and repeat switches with the repeat count, and the list's right-click
// menu that inserts delays and mouse buttons, edits delays and deletes.
#pragma once

#include <QIcon>
#include <array>
#include <memory>

#include "platform/Clock.h"
#include "platform/gui/QtMessageLoop.h"
#include "setup/MacroDialogContext.h"
#include "setup/MacroKeyCapture.h"
#include "setup/MacroManager.h"
#include "skin/EditableList.h"
#include "skin/PictureButton.h"
#include "skin/PictureEdit.h"
#include "skin/SkinMenu.h"
#include "skin/SkinPage.h"

class QLabel;

namespace kelm {

class CMacroEventEditor final : public skin::SkinPage {
    Q_OBJECT
public:
    CMacroEventEditor(MacroManager& manager, const MacroDialogContext& context, const Clock& clock, QWidget* parent);

    // Every control from the manager's selected macro.
    void Refresh();
    // Ends a recording and lets go of the keyboard; nothing without one.
    void StopRecording();
    bool Recording() const { return capture_ != nullptr; }
    // Whether the recording holds the whole keyboard.
    bool HoldsKeyboard() const { return capture_ != nullptr && capture_->WholeKeyboard(); }

    // The repeat count typed into its field, under the field's rule: the
    // field's focus loss does it, and OK, whose click leaves the focus.
    void CommitRepeatCount();

    // The list's right-click menu and its commands, as a click runs them.
    std::unique_ptr<skin::SkinMenu> ListMenu() const;
    void OnListMenuCommand(int command);

signals:
    void RecordingChanged(bool recording);

private:
    void OnStartRecord();
    void StartCapture();
    void OnKey(const MacroKeyCapture::Key& key);
    void EndCapture(TextId state);
    void OnListMenu(const QPoint& at);
    void OnDelayEdited(int row);
    void OnRepeatSwitch();
    void FillList();
    void SelectEvent(int event);
    void ShowState(TextId id);

    MacroManager& manager_;
    const MacroDialogContext& context_;
    const Clock& clock_;
    QtMessageLoop loop_;
    std::unique_ptr<MacroKeyCapture> capture_;
    int recordAt_ = 0;  // where the next recorded event goes
    std::array<QIcon, 4> icons_;
    skin::PictureButton* record_ = nullptr;
    skin::PictureButton* delays_ = nullptr;
    skin::PictureButton* repeat_ = nullptr;
    skin::PictureEdit* times_ = nullptr;
    skin::EditableList* list_ = nullptr;
    QLabel* state_ = nullptr;
};

}  // namespace kelm
