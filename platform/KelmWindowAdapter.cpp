#include "platform/KelmWindowAdapter.h"

#include <type_traits>

namespace kelm {

KelmWindowAdapter::KelmWindowAdapter(MessageLoop& loop, Handler handler)
    : loop_(loop), handler_(std::make_shared<Handler>(std::move(handler))), bridge_{{&KelmWindowAdapter::Post}, this} {}

void KelmWindowAdapter::Post(KelmWindow* window, unsigned msg, std::uintptr_t wParam, std::intptr_t lParam) {
    static_assert(std::is_standard_layout_v<Bridge>);
    KelmWindowAdapter* self = reinterpret_cast<Bridge*>(window)->self;
    self->loop_.Post([handler = std::weak_ptr<Handler>(self->handler_), msg, wParam, lParam] {
        if (const auto h = handler.lock()) (*h)(msg, wParam, lParam);
    });
}

}  // namespace kelm
