// KelmWatch's application object: the command line and the single
// instance. One monitor runs per user; a second start hands its request
// to the running one and ends without touching the keyboard.
#pragma once

#include "monitor/MonitorPorts.h"
#include "platform/NamedMutex.h"

namespace kelm {

class CMonitorApp {
public:
    enum class Instance { First, Running, Failed };

    // True when the command line's first character is "1": the
    // configuration program is to be opened once the keyboard is found.
    static bool OpenSetupRequested(int argc, const char* const* argv);

    // Takes the instance mutex "VELDAN_Kelm_Keyboard_Normal_Monitor". When a
    // monitor runs already: with openSetupOnStart, asks it (WM_COMMAND 6001)
    // to bring up the configuration program; Running either way. Failed when
    // the mutex cannot be had at all.
    Instance InitInstance(bool openSetupOnStart, IWindowDirectory& windows);
    // Releases the instance mutex.
    void ExitInstance() { instance_ = NamedMutex(); }

private:
    NamedMutex instance_;
};

}  // namespace kelm
