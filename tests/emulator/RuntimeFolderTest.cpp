#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/RuntimeFolder.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::lstat(path.c_str(), &st);
    return st.st_mode & 07777;
}

class RuntimeFolderTest : public ::testing::Test {
protected:
    test::TempFolder folder;
    test::ScopedEnv env{"XDG_RUNTIME_DIR", folder.Path().c_str()};
    const std::string runtime = folder / "VELDAN";
};

TEST_F(RuntimeFolderTest, IsMadePrivateUnderTheSessionFolder) {
    std::string error;
    EXPECT_EQ(RuntimeFolder(&error), runtime) << error;
    EXPECT_EQ(ModeOf(runtime), 0700u);
    EXPECT_EQ(RuntimeFolder(), runtime) << "an existing one is taken";
}

TEST_F(RuntimeFolderTest, LooseModeIsTightened) {
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(runtime.c_str(), 0755), 0);
    EXPECT_EQ(RuntimeFolder(), runtime);
    EXPECT_EQ(ModeOf(runtime), 0700u);
}

TEST_F(RuntimeFolderTest, SymbolicLinkOrFileIsRefused) {
    ASSERT_EQ(::mkdir((folder / "elsewhere").c_str(), 0700), 0);
    ASSERT_EQ(::symlink((folder / "elsewhere").c_str(), runtime.c_str()), 0);
    std::string error;
    EXPECT_EQ(RuntimeFolder(&error), "");
    EXPECT_NE(error.find("symbolic link"), std::string::npos) << error;
    ::unlink(runtime.c_str());
    test::WriteFile(runtime, "");
    EXPECT_EQ(RuntimeFolder(&error), "");
}

TEST_F(RuntimeFolderTest, FolderOfAnotherUserIsRefused) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root can give a folder to another user";
    ASSERT_EQ(::mkdir(runtime.c_str(), 0700), 0);
    ASSERT_EQ(::chown(runtime.c_str(), 4242, 4242), 0);
    std::string error;
    EXPECT_EQ(RuntimeFolder(&error), "");
    EXPECT_NE(error.find("another user"), std::string::npos) << error;
}

TEST_F(RuntimeFolderTest, WithoutSessionFolderItLivesInTmpByUser) {
    ::unsetenv("XDG_RUNTIME_DIR");
    const std::string expected = "/tmp/VELDAN-" + std::to_string(::geteuid());
    std::string error;
    EXPECT_EQ(RuntimeFolder(&error), expected) << error;
    EXPECT_EQ(ModeOf(expected), 0700u);
}

}  // namespace
}  // namespace kelm
