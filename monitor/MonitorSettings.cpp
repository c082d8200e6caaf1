// CMonitorWnd: taking settings over from the shared block, the session's
// key repeat, and display texts from other programs.
#include "keyboard/SettingsReports.h"
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

// KelmSetup's SendMessage returns once the keyboard has every change, but
// the window does not wait for that: the block is copied now, the writing
// is a record task, and the answer follows it.
std::int64_t CMonitorWnd::OnApplySettings(std::uint64_t wParam) {
    auto copy = std::make_shared<SettingsRecord>();
    // A copy that failed holds nothing new to apply, and its flags could be
    // those of an earlier apply: the keyboard gets nothing, the rest of the
    // handling still runs.
    const bool copied = ports_.settingsBlock.CopyToRecord(*copy);
    if (copied)
        ApplyKeyboardRate(*copy);
    else
        ApplyKeyboardRate();
    AnnounceOsdPosition();
    if (!copied) return 0;

    auto reply = std::make_shared<DeferredReply>(ports_.window.DeferReply());
    const std::uint64_t generation = keyboardGeneration_.load();
    PostRecordTask([this, copy, reply, generation, reset = wParam == 1] {
        const auto lock = protocol_.Lock();
        TakeOver(*copy, generation);
        bool written = false;
        if (flags_.deviceState.load() == kDeviceConnected) {
            written = reset ? protocol_.ResetKeyboard() : protocol_.WriteChangedSettings();
            PostToWindow([this] { ResetPactStatus(); });
        }
        // A read-back since the copy saved the keyboard's state to the files
        // and the block; they get what was handed over as well.
        if (keyboardGeneration_.load() != generation) {
            ports_.files.SaveRecord(*record_);
            ports_.settingsBlock.PublishRecord(*record_);
        }
        PostToWindow([reply, written] { reply->Send(written ? 1 : 0); });
    });
    return 0;
}

void CMonitorWnd::OnReloadSettings(bool withRate) {
    auto copy = std::make_shared<SettingsRecord>();
    if (ports_.settingsBlock.CopyToRecord(*copy)) {
        const std::uint64_t generation = keyboardGeneration_.load();
        PostRecordTask([this, copy, generation] {
            const auto lock = protocol_.Lock();
            TakeOver(*copy, generation);
        });
        if (withRate) ApplyKeyboardRate(*copy);
    } else if (withRate) {
        ApplyKeyboardRate();
    }
}

void CMonitorWnd::TakeOver(const SettingsRecord& copy, std::uint64_t keyboardGeneration) {
    const SettingsRecord& keyboard = *record_;
    auto taken = std::make_unique<SettingsRecord>(copy);
    if (keyboardGeneration_.load() != keyboardGeneration) KeepUnflaggedKeyboardState(keyboard, *taken);
    *record_ = *taken;
    RefreshView();
}

void CMonitorWnd::ApplyKeyboardRate() {
    ReadView([this](const SettingsRecord& r) {
        ApplyKeyboardRate(r);
        return 0;
    });
}

void CMonitorWnd::ApplyKeyboardRate(const SettingsRecord& record) {
    if (!IsValidSlot(record.CurrentProfile)) return;
    const ProfileRecord& profile = record.Profiles[record.CurrentProfile];
    ports_.keyboardRate.Apply(profile.KBDelay, profile.KBSpeed);
}

void CMonitorWnd::AnnounceOsdPosition() {
    ports_.files.LoadOsdSetting(osd_);
    ports_.windows.PostMessage(kOsdTitle, MSG_OSD_POSITION, 0, OsdPositionParam(osd_));
}

void CMonitorWnd::OnCopyData(const WindowMessage& message) {
    const auto text = DisplayTextFromCopyData(message);
    if (text && ports_.actions.display != nullptr)
        ports_.actions.display->ShowDisplayText(*text, flags_.deviceState.load() == kDeviceConnected);
}

}  // namespace kelm
