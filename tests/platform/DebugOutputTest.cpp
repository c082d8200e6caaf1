#include <gtest/gtest.h>

#include "platform/Debug.h"
#include "tests/support/ScopedEnv.h"

namespace kelm {
namespace {

TEST(DebugOutput, PrintsFixedFormatLinesOnlyWhenKelmDebugIsSet) {
    {
        const test::ScopedEnv off("KELM_DEBUG", nullptr);
        ::testing::internal::CaptureStderr();
        DebugOutput("CMonitorApp: %s\n", "silent");
        EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    }
    {
        const test::ScopedEnv empty("KELM_DEBUG", "");
        EXPECT_FALSE(DebugEnabled());
    }
    const test::ScopedEnv on("KELM_DEBUG", "1");
    ::testing::internal::CaptureStderr();
    DebugOutput("CMonitorApp: %s\n", "started");
    DebugOutput("g_iCurAction= %d,start=%d,end=%d\n", 3, 0, 12);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "CMonitorApp: started\ng_iCurAction= 3,start=0,end=12\n");
}

}  // namespace
}  // namespace kelm
