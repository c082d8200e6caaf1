#include "platform/SleepWatcher.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>

#include <cstring>

#include "platform/BusWatch.h"
#include "platform/Debug.h"
#include "platform/Logind.h"
#include "platform/SdBus.h"
#include "platform/UniqueFd.h"

namespace kelm {

namespace {

// The lock is held as long as the descriptor logind hands out is open.
// False when logind is not there to ask; a lock logind refuses leaves lock
// empty.
bool TakeDelayLock(sd_bus* bus, const std::string& who, const std::string& why, UniqueFd& lock) {
    BusError error;
    sd_bus_message* reply = nullptr;
    if (sd_bus_call_method(bus, logind::kService, logind::kManagerPath, logind::kManager, "Inhibit", &error, &reply,
                           "ssss", "sleep", who.c_str(), why.c_str(), "delay") < 0) {
        const bool absent =
            !sd_bus_error_is_set(&error) ||
            sd_bus_error_has_names(&error, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER,
                                   SD_BUS_ERROR_NO_REPLY, SD_BUS_ERROR_TIMEOUT, SD_BUS_ERROR_DISCONNECTED);
        DebugOutput("SleepWatcher: no delay lock (%s)\n", sd_bus_error_is_set(&error) ? (&error)->message : "no bus");
        return !absent;
    }
    const BusMessage owned(reply);
    int fd = -1;
    // The message closes its own descriptor when it goes.
    if (sd_bus_message_read(reply, "h", &fd) >= 0) lock.Reset(::fcntl(fd, F_DUPFD_CLOEXEC, 3));
    return true;
}

class LogindSleepWatcher final : public SleepWatcher {
public:
    LogindSleepWatcher(MessageLoop& loop, BusConnection bus, std::string who, std::string why,
                       std::function<void(bool)> onSleep)
        : bus_(std::move(bus)),
          who_(std::move(who)),
          why_(std::move(why)),
          onSleep_(std::move(onSleep)),
          watch_(loop, "SleepWatcher") {}

    bool Begin() {
        sd_bus_slot* slot = nullptr;
        if (sd_bus_match_signal(bus_.get(), &slot, logind::kService, logind::kManagerPath, logind::kManager,
                                "PrepareForSleep", &LogindSleepWatcher::OnPrepareForSleep, this) < 0)
            return false;
        match_.reset(slot);
        return TakeDelayLock(bus_.get(), who_, why_, lock_) && watch_.Begin(bus_.get());
    }

private:
    static int OnPrepareForSleep(sd_bus_message* message, void* self, sd_bus_error*) {
        int sleeping = 0;
        if (sd_bus_message_read(message, "b", &sleeping) >= 0)
            static_cast<LogindSleepWatcher*>(self)->Report(sleeping != 0);
        return 0;
    }

    // From the loop, after the bus work: the receiver may do anything
    // there, even destroy this watcher, so what follows its call is held
    // by the task itself.
    void Report(bool sleeping) {
        watch_.Post([this, onSleep = onSleep_, sleeping] {
            if (sleeping) {
                const UniqueFd lock = std::move(lock_);
                onSleep(true);
                return;
            }
            if (!lock_) {
                TakeDelayLock(bus_.get(), who_, why_, lock_);
                watch_.Process();
            }
            onSleep(false);
        });
    }

    // Destroyed in reverse: the watch, the lock and the match end before
    // their connection.
    BusConnection bus_;
    BusSlot match_;
    std::string who_;
    std::string why_;
    std::function<void(bool)> onSleep_;
    UniqueFd lock_;
    BusWatch watch_;
};

}  // namespace

SleepWatcher::~SleepWatcher() = default;

std::unique_ptr<SleepWatcher> SleepWatcher::Start(MessageLoop& loop, const std::string& who, const std::string& why,
                                                  std::function<void(bool sleeping)> onSleep) {
    BusConnection bus = OpenSystemBus(logind::kCallTimeout);
    if (!bus) return nullptr;
    auto watcher = std::make_unique<LogindSleepWatcher>(loop, std::move(bus), who, why, std::move(onSleep));
    if (!watcher->Begin()) return nullptr;
    return watcher;
}

}  // namespace kelm
