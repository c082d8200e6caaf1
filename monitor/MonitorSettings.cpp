// CMonitorWnd: taking settings over from the shared block, the session's
// key repeat, and display texts from other programs.
#include "monitor/CMonitorWnd.h"
#include "suite/CopyDataText.h"

namespace kelm {

namespace {

// What KelmOSD receives with the display position: first coordinate in the
// high word, second in the low word.
std::int64_t OsdPositionParam(const OsdSetting& osd) {
    const auto x = static_cast<std::uint32_t>(osd.PositionX) & 0xFFFF;
    const auto y = static_cast<std::uint32_t>(osd.PositionY) & 0xFFFF;
    return static_cast<std::int64_t>((x << 16) | y);
}

}  // namespace

// Runs inside KelmSetup's SendMessage, so the keyboard has every change
// before KelmSetup goes on.
std::int64_t CMonitorWnd::OnApplySettings(std::uint64_t wParam) {
    const auto lock = protocol_.Lock();
    // A copy that failed left the record as it was: there is nothing new to
    // apply, and the record's flags could be those of an earlier apply.
    if (!ports_.settingsBlock.CopyToRecord(*record_)) return 0;
    RefreshView();
    ApplyKeyboardRate();
    ports_.files.LoadOsdSetting(osd_);
    ports_.windows.PostMessage(kOsdTitle, MSG_OSD_POSITION, 0, OsdPositionParam(osd_));
    if (flags_.deviceState.load() == kDeviceConnected) {
        if (wParam == 1)
            protocol_.ResetKeyboard();
        else
            protocol_.WriteChangedSettings();
        ResetPactStatus();
    }
    return 0;
}

void CMonitorWnd::OnReloadSettings(bool withRate) {
    const auto lock = protocol_.Lock();
    if (ports_.settingsBlock.CopyToRecord(*record_)) RefreshView();
    if (withRate) ApplyKeyboardRate();
}

void CMonitorWnd::ApplyKeyboardRate() {
    const auto rate = ReadView([](const SettingsRecord& r) -> std::optional<std::pair<int, int>> {
        if (!IsValidSlot(r.CurrentProfile)) return std::nullopt;
        return std::pair{r.Profiles[r.CurrentProfile].KBDelay, r.Profiles[r.CurrentProfile].KBSpeed};
    });
    if (rate) ports_.keyboardRate.Apply(rate->first, rate->second);
}

void CMonitorWnd::OnCopyData(const WindowMessage& message) {
    const auto text = DisplayTextFromCopyData(message);
    if (text && ports_.actions.display != nullptr)
        ports_.actions.display->ShowDisplayText(*text, flags_.deviceState.load() == kDeviceConnected);
}

}  // namespace kelm
