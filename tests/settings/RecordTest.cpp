#include <gtest/gtest.h>
#include "settings/Defaults.h"
TEST(Record, Builds) { kelm::SettingsRecord r{}; kelm::DefaultSettings(r); EXPECT_EQ(r.Profiles[0].KBSpeed, 31); }
