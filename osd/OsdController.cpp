#include "osd/OsdController.h"

#include "suite/SuiteIds.h"

namespace kelm {

OsdPosition OsdPositionFromParam(std::int64_t lParam) {
    const auto bits = static_cast<std::uint64_t>(lParam);
    return {static_cast<std::int16_t>((bits >> 16) & 0xFFFF), static_cast<std::int16_t>(bits & 0xFFFF)};
}

std::int64_t OsdController::WindowProc(const WindowMessage& message) {
    if (closed_) return 0;
    switch (message.msg) {
        case MSG_OSD_SHOW_TEXT:
            ShowStoredText();
            return 1;
        case MSG_OSD_POSITION: {
            const OsdPosition at = OsdPositionFromParam(message.lParam);
            view_.MoveTo(at.x, at.y);
            return 1;
        }
        case WM_CLOSE:
            closed_ = true;
            timers_.KillTimer(TIMER_HIDE_TEXT);
            view_.HideText();
            quit_();
            return 0;
        default:
            return 0;
    }
}

void OsdController::ShowStoredText() {
    const std::string text = readText_();
    if (text.empty()) {
        timers_.KillTimer(TIMER_HIDE_TEXT);
        view_.HideText();
        return;
    }
    view_.ShowText(text);
    timers_.SetTimer(TIMER_HIDE_TEXT, kShowTime);
}

void OsdController::OnTimer(unsigned id) {
    if (id != TIMER_HIDE_TEXT) return;
    timers_.KillTimer(TIMER_HIDE_TEXT);
    view_.HideText();
}

}  // namespace kelm
