// Suspend and resume of the machine, as systemd-logind announces them
// (PrepareForSleep on the system bus), with a delay lock so that the
// program can finish what it must before the machine sleeps.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/MessageLoop.h"

namespace kelm {

class SleepWatcher {
public:
    // Calls onSleep(true) on loop's thread before the machine sleeps and
    // onSleep(false) after it woke. From the start the watcher holds a
    // logind delay lock on sleep ("who" and "why" are what logind shows of
    // it): logind puts the machine to sleep once onSleep(true) has returned
    // and the lock has been let go, and the lock is taken again on resume.
    // Without a lock (logind refuses it) the notifications still come.
    // nullptr when there is no system bus or no logind on it. Call on
    // loop's thread; loop must outlive the watcher.
    static std::unique_ptr<SleepWatcher> Start(MessageLoop& loop, const std::string& who, const std::string& why,
                                               std::function<void(bool sleeping)> onSleep);

    // Lets the lock go; a notification received but not yet reported is
    // dropped.
    virtual ~SleepWatcher();

protected:
    SleepWatcher() = default;
};

}  // namespace kelm
