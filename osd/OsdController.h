// KelmOSD's window procedure, apart from Qt: the monitor posts 1324 when it
// has stored a display text in config.ini ([OSDData] Message), 1326 with
// the display position, and WM_CLOSE when it shuts down. A text stays up
// for kShowTime; a newer one replaces it and starts that time again.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/MessageLoop.h"
#include "platform/WindowMessage.h"

namespace kelm {

// What KelmOSD shows, as the controller drives it.
class IOsdView {
public:
    virtual ~IOsdView() = default;
    // text: the 8-bit text as stored.
    virtual void ShowText(const std::string& text) = 0;
    virtual void HideText() = 0;
    virtual void MoveTo(int x, int y) = 0;
};

struct OsdPosition {
    int x = 0;
    int y = 0;
    bool operator==(const OsdPosition&) const = default;
};

// 1326's lParam: the first coordinate in the high word, the second in the
// low word, each 16 bits with its sign (a display left of or above the
// primary one lies at negative coordinates).
OsdPosition OsdPositionFromParam(std::int64_t lParam);

class OsdController {
public:
    static constexpr unsigned TIMER_HIDE_TEXT = 1;
    static constexpr std::chrono::milliseconds kShowTime{4000};

    // readText: the stored display text, "" when there is none.
    OsdController(IOsdView& view, TimerService& timers, std::function<std::string()> readText,
                  std::function<void()> quit)
        : view_(view), timers_(timers), readText_(std::move(readText)), quit_(std::move(quit)) {}

    std::int64_t WindowProc(const WindowMessage& message);
    void OnTimer(unsigned id);

private:
    void ShowStoredText();

    IOsdView& view_;
    TimerService& timers_;
    std::function<std::string()> readText_;
    std::function<void()> quit_;
    bool closed_ = false;
};

}  // namespace kelm
