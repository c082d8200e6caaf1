// MacroPlaybackThread: plays the macro the window thread has prepared,
// each time MSG_PLAY_MACRO arrives, until WM_QUIT. A playback that runs at
// shutdown is aborted first when its player can be, so that a macro of
// many minutes (or of two billion passes) does not hold the monitor's exit
// and releases what it holds; the quit is taken between playbacks.
#pragma once

#include "monitor/HostActions.h"
#include "platform/ThreadMessageQueue.h"
#include "platform/WorkerThread.h"

namespace kelm {

// A player whose running playback can be cut short from another thread.
class IPlaybackAbort {
public:
    virtual ~IPlaybackAbort() = default;
    virtual void AbortPlayback() = 0;
    // Returns once no playback runs; one prepared and not yet begun plays
    // nothing once aborted.
    virtual void WaitForPlaybackEnd() = 0;
};

class MacroPlaybackThread {
public:
    // Without a player the thread runs and ignores what it is sent.
    explicit MacroPlaybackThread(IMacroPlayer* player) : player_(player) {}

    bool Start();
    bool PostPlay();
    // Cuts a running playback short, when its player can be, and returns
    // once it has released what it held (50 ms a key).
    void AbortPlayback();
    // Aborts, then ends the thread once the playback has ended.
    void Stop();

    static void Handle(const ThreadMessage& message, IMacroPlayer* player);

private:
    IMacroPlayer* player_;
    WorkerThread thread_;
};

}  // namespace kelm
