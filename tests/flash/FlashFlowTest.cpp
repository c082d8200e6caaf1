// The update window's decisions without a window: the flow each argument
// opens, and what each step of the one pass leads to.
#include <gtest/gtest.h>

#include "flash/FlashFlow.h"

namespace kelm {
namespace {

TEST(FlashFlow, OnlyTheFirstCharacterOfTheArgumentChoosesTheFlow) {
    const std::vector<std::pair<std::string, StartFlow>> cases = {
        {"", StartFlow::Confirm}, {"1", StartFlow::Confirm}, {"2", StartFlow::Confirm}, {"21", StartFlow::Confirm},
        {"0", StartFlow::Notice}, {"05", StartFlow::Notice}, {"5", StartFlow::Window},  {"3", StartFlow::Window},
        {"x", StartFlow::Window}, {" 1", StartFlow::Window},
    };
    for (const auto& [argument, flow] : cases) EXPECT_EQ(FlowForArgument(argument), flow) << '"' << argument << '"';

    EXPECT_TRUE(OpensWindowAfter(StartFlow::Confirm, true));
    EXPECT_FALSE(OpensWindowAfter(StartFlow::Confirm, false));
    EXPECT_FALSE(OpensWindowAfter(StartFlow::Notice, true));
    EXPECT_TRUE(OpensWindowAfter(StartFlow::Window, true));
}

enum class Step { Ready, Start, CloseAsked, EndOk, EndFailed };

struct StepsCase {
    const char* name;
    std::vector<Step> steps;
    UpdatePhase phase;
    bool showedSuccess, showedFailure, closed, restart;
    std::vector<bool> mayClose;  // the answers to each CloseAsked, in order
};

TEST(FlashFlow, OnlyAPassThatRanAndSucceededClaimsSuccessAndAClosingWaitsForThePass) {
    using enum Step;
    const std::vector<StepsCase> cases = {
        {"success", {Ready, Start, EndOk}, UpdatePhase::Succeeded, true, false, true, true, {}},
        {"failure stays open", {Ready, Start, EndFailed}, UpdatePhase::Failed, false, true, false, false, {}},
        {"no image: nothing ran", {Ready, EndFailed}, UpdatePhase::Failed, false, true, false, false, {}},
        {"an ok before any pass is no success", {Ready, EndOk}, UpdatePhase::Failed, false, true, false, false, {}},
        {"monitor stayed", {EndFailed}, UpdatePhase::Failed, false, true, false, false, {}},
        {"close while preparing", {CloseAsked}, UpdatePhase::Preparing, false, false, false, false, {true}},
        {"close while waiting", {Ready, CloseAsked}, UpdatePhase::Waiting, false, false, false, false, {true}},
        {"close during the pass, then success",
         {Ready, Start, CloseAsked, CloseAsked, EndOk, CloseAsked},
         UpdatePhase::Succeeded,
         true,
         false,
         true,
         true,
         {false, false, true}},
        {"close during the pass, then failure closes too",
         {Ready, Start, CloseAsked, EndFailed, CloseAsked},
         UpdatePhase::Failed,
         false,
         true,
         true,
         false,
         {false, true}},
        {"one outcome per window",
         {Ready, Start, EndOk, EndFailed},
         UpdatePhase::Succeeded,
         true,
         false,
         true,
         true,
         {}},
        {"a start before ready is no start", {Start, Ready, EndOk}, UpdatePhase::Failed, false, true, false, false, {}},
    };
    for (const StepsCase& c : cases) {
        SCOPED_TRACE(c.name);
        UpdateSteps steps;
        bool success = false, failure = false, closed = false;
        std::vector<bool> mayClose;
        for (const Step step : c.steps) {
            switch (step) {
                case Ready:
                    steps.Ready();
                    break;
                case Start:
                    steps.PassStarted(3);
                    break;
                case CloseAsked:
                    mayClose.push_back(steps.MayClose());
                    break;
                case EndOk:
                case EndFailed: {
                    const UpdateSteps::Outcome outcome = steps.PassEnded(step == EndOk);
                    success |= outcome.showSuccess;
                    failure |= outcome.showFailure;
                    closed |= outcome.closeAfterDialog;
                    break;
                }
            }
        }
        EXPECT_EQ(steps.Phase(), c.phase);
        EXPECT_EQ(success, c.showedSuccess);
        EXPECT_EQ(failure, c.showedFailure);
        EXPECT_EQ(closed, c.closed);
        EXPECT_EQ(steps.RestartMonitor(), c.restart);
        EXPECT_EQ(mayClose, c.mayClose);
    }
}

TEST(FlashFlow, TheBarReachesItsEndWithTheLastBlockForEverySize) {
    // size in bytes -> blocks; the last block's position is the maximum.
    for (const std::size_t size : {0u, 1u, 1024u, 2048u, 2049u, 204800u}) {
        SCOPED_TRACE(size);
        const std::size_t blocks = (size + 1023) / 1024;
        UpdateSteps steps;
        steps.Ready();
        steps.PassStarted(blocks);
        EXPECT_EQ(steps.ProgressMaximum(), std::max<int>(1, static_cast<int>(blocks)));
        if (blocks > 0) {
            EXPECT_EQ(UpdateSteps::ProgressAfterBlock(blocks - 1), steps.ProgressMaximum());
            EXPECT_EQ(UpdateSteps::ProgressAfterBlock(0), 1);
        }
    }
}

TEST(FlashFlow, TheWindowShowsTheImageFilesOwnName) {
    EXPECT_EQ(ImageFileName("fw.bin"), "fw.bin");
    EXPECT_EQ(ImageFileName("/opt/kelm/FlashPack/Kelm_V120.bin"), "Kelm_V120.bin");
    EXPECT_EQ(ImageFileName("images/"), "");
}

}  // namespace
}  // namespace kelm
