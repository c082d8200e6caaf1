#include "monitor/MacroPlaybackThread.h"

#include "monitor/MonitorIds.h"

namespace kelm {

bool MacroPlaybackThread::Start() {
    return thread_.Start([this](ThreadMessageQueue& queue) {
        ThreadMessage message;
        while (queue.GetMessage(message)) Handle(message, player_);
    });
}

bool MacroPlaybackThread::PostPlay() { return thread_.PostThreadMessage(MSG_PLAY_MACRO, 0, 0); }

void MacroPlaybackThread::AbortPlayback() {
    auto* abortable = dynamic_cast<IPlaybackAbort*>(player_);
    if (abortable == nullptr) return;
    abortable->AbortPlayback();
    abortable->WaitForPlaybackEnd();
}

void MacroPlaybackThread::Stop() {
    AbortPlayback();
    thread_.Stop();
}

void MacroPlaybackThread::Handle(const ThreadMessage& message, IMacroPlayer* player) {
    if (message.msg == MSG_PLAY_MACRO && player != nullptr) player->PlayPending();
}

}  // namespace kelm
