// A shortcut key's input: its modifiers and main key pressed while the key
// is held, the main key tapped again on each auto-repeat tick. Runs on the
// window thread; the 1 ms between modifiers lets programs that poll the
// modifier state see them before the main key.
#pragma once

#include <cstdint>

#include "monitor/HostActions.h"
#include "monitor/PlaybackClock.h"
#include "platform/InputInjector.h"

namespace kelm {

class ShortcutInput final : public IShortcutInput {
public:
    static constexpr std::chrono::milliseconds kModifierSpacing{1};

    ShortcutInput(IInputInjector& injector, PlaybackClock& clock) : injector_(injector), clock_(clock) {}

    void PressShortcut(std::uint16_t word) override;
    void ReleaseShortcut(std::uint16_t word) override;
    void TapShortcutKey(std::uint16_t word) override;

private:
    void Pause();

    IInputInjector& injector_;
    PlaybackClock& clock_;
};

}  // namespace kelm
