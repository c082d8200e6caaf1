// The KelmWindow a program hands to libdevbridge: its post may be called
// from any of the library's threads and only queues the message into the
// program's loop, where the handler receives it on the loop's thread in
// order with everything else posted there.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "devbridge/DevBridge.h"
#include "platform/MessageLoop.h"

namespace kelm {

class KelmWindowAdapter {
public:
    using Handler = std::function<void(std::uint32_t msg, std::uintptr_t wParam, std::intptr_t lParam)>;

    KelmWindowAdapter(MessageLoop& loop, Handler handler);
    // The library must have stopped posting (Close_DevMonitor) before this;
    // messages it queued earlier are dropped rather than handled.
    ~KelmWindowAdapter() = default;
    KelmWindowAdapter(const KelmWindowAdapter&) = delete;
    KelmWindowAdapter& operator=(const KelmWindowAdapter&) = delete;

    KelmWindow* Window() { return &bridge_.window; }

private:
    // Standard layout with the KelmWindow first, so the pointer the library
    // gives back leads to the adapter.
    struct Bridge {
        KelmWindow window;
        KelmWindowAdapter* self;
    };
    static void Post(KelmWindow* window, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam);

    MessageLoop& loop_;
    std::shared_ptr<Handler> handler_;
    Bridge bridge_;
};

}  // namespace kelm
