// Console connect and disconnect of the user's session, as systemd-logind
// tells them: the Active property of this process's login session (or, for
// a process started outside any session, of the user's display session),
// watched over the system bus.
#pragma once

#include <functional>
#include <memory>

#include "platform/MessageLoop.h"

namespace kelm {

class SessionWatcher {
public:
    // Calls onChange on loop's thread each time the session becomes active
    // (true) or inactive (false); nothing is reported for the state at
    // start. nullptr when there is no system bus, no logind on it, or no
    // session to watch: the program then runs without these notifications.
    // Call on loop's thread; loop must outlive the watcher.
    static std::unique_ptr<SessionWatcher> Start(MessageLoop& loop, std::function<void(bool active)> onChange);

    // Stops watching; a change noticed but not yet reported is dropped.
    virtual ~SessionWatcher();

protected:
    SessionWatcher() = default;
};

}  // namespace kelm
