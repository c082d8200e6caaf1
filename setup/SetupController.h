// The main window's behaviour apart from its widgets: what each control and
// each of KelmWatch's messages does to the session, and what the window
// must show then. The widgets call the On... methods; the window procedure
// of the "VELDAN Kelm Keyboard Option" endpoint calls WindowProc.
//
//   IDLE ──Apply/OK──► APPLYING ──answer──► IDLE (OK: ──► CLOSED)
//     │                  │ OK and Apply disabled, wait cursor;
//     │                  │ KelmWatch's messages still handled
//     └─Cancel/Exit/WM_CLOSE──► CLOSED (nothing saved or sent)
#pragma once

#include <cstdint>

#include "platform/WindowMessage.h"
#include "setup/ApplyRunner.h"
#include "setup/SetupSession.h"

namespace kelm {

class ISetupView {
public:
    enum class Notice {
        SavedWithoutMonitor,  // the files hold the settings; the keyboard gets them when KelmWatch runs
        KeyboardMissedIt,     // KelmWatch has them, the keyboard did not take every change
        FilesNotSaved,        // a settings file could not be written
        BlockUnmappable,      // "Could not map view of file."
    };

    virtual ~ISetupView() = default;
    // Slots, markers, names, every page, the language button, the picture of
    // MouseType.
    virtual void RefreshAll() = 0;
    virtual void RefreshFirmwareText() = 0;
    // The texts of the language now chosen.
    virtual void Relabel() = 0;
    virtual void SetBusy(bool busy) = 0;
    virtual void ShowNotice(Notice notice) = 0;
    // The user agrees to make slot the Windows profile.
    virtual bool ConfirmWindowsProfile(int slot) = 0;
    virtual void Raise() = 0;
    virtual void Close() = 0;
};

class SetupController {
public:
    SetupController(SetupSession& session, ISetupView& view, IApplyRunner& runner)
        : session_(session), view_(view), runner_(runner) {}

    // Loads the session and fills the window.
    void Start();
    std::int64_t WindowProc(const WindowMessage& message);

    void OnSlot(int slot);
    void OnWindowsProfileMarker(int slot);
    void OnLanguage(int languageIndex);
    // After the profile dialog's OK, Load or the Reset of the settings page.
    void OnProfileFieldsChanged();
    void OnApply() { Apply(0, false); }
    void OnOk() { Apply(0, true); }
    // The user confirmed the Reset: every setting back to the factory's,
    // applied at once with the keyboard reset first.
    void OnReset();
    void OnCancel() { view_.Close(); }

    bool Applying() const { return applying_; }

private:
    void Apply(int mode, bool closeAfter);
    void Finish(std::optional<std::int64_t> answer, bool closeAfter);

    SetupSession& session_;
    ISetupView& view_;
    IApplyRunner& runner_;
    bool applying_ = false;
};

}  // namespace kelm
