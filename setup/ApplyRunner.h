// Runs KelmWatch's apply off the window thread: the monitor answers only
// once the keyboard is written, which can take many seconds, and the window
// must stay painted meanwhile. The answer comes back on the window thread.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace kelm {

class IApplyRunner {
public:
    using Done = std::function<void(std::optional<std::int64_t> answer)>;
    virtual ~IApplyRunner() = default;
    // One apply at a time; done runs on the window thread.
    virtual void Run(int mode, Done done) = 0;
};

}  // namespace kelm
