#include "flash/FlashFlow.h"

#include <algorithm>

namespace kelm {

StartFlow FlowForArgument(std::string_view argument) {
    if (argument.empty() || argument.front() == '1' || argument.front() == '2') return StartFlow::Confirm;
    if (argument.front() == '0') return StartFlow::Notice;
    return StartFlow::Window;
}

bool OpensWindowAfter(StartFlow flow, bool accepted) {
    switch (flow) {
        case StartFlow::Confirm:
            return accepted;
        case StartFlow::Notice:
            return false;
        case StartFlow::Window:
            break;
    }
    return true;
}

void UpdateSteps::Ready() {
    if (phase_ == UpdatePhase::Preparing) phase_ = UpdatePhase::Waiting;
}

void UpdateSteps::PassStarted(std::size_t blocks) {
    if (phase_ != UpdatePhase::Waiting) return;
    blocks_ = blocks;
    phase_ = UpdatePhase::Updating;
}

UpdateSteps::Outcome UpdateSteps::PassEnded(bool ok) {
    // One pass per window: a second outcome would be a second claim.
    if (phase_ == UpdatePhase::Succeeded || phase_ == UpdatePhase::Failed) return {};
    // Success is only what a pass that ran reports.
    const bool succeeded = ok && phase_ == UpdatePhase::Updating;
    phase_ = succeeded ? UpdatePhase::Succeeded : UpdatePhase::Failed;
    return {succeeded, !succeeded, succeeded || closePending_};
}

int UpdateSteps::ProgressMaximum() const {
    // An empty image has no block to count; its bar is full when it ends.
    return static_cast<int>(std::max<std::size_t>(blocks_, 1));
}

bool UpdateSteps::MayClose() {
    if (phase_ != UpdatePhase::Updating) return true;
    closePending_ = true;
    return false;
}

std::string ImageFileName(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    return std::string(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

}  // namespace kelm
