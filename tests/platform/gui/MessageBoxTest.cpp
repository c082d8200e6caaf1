#include <gtest/gtest.h>

#include "platform/gui/MessageBox.h"
#include "tests/platform/gui/OffscreenApp.h"

namespace kelm {
namespace {

TEST(MessageBox, WithoutADisplayTheTextGoesToStandardError) {
    test::OffscreenApp();
    testing::internal::CaptureStderr();
    ShowMessageBox("Could not map view of file.");
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              std::string(program_invocation_short_name) + ": Could not map view of file.\n");
}

}  // namespace
}  // namespace kelm
