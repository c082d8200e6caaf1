// A test's own desktop: PATH, the XDG data and configuration folders and
// the desktop's name all point into a throw-away folder, so that only the
// programs and desktop entries a test puts there exist.
#pragma once

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {

class XdgFolders : public ::testing::Test {
protected:
    // An executable named name in the test's PATH.
    void Program(const std::string& name) {
        WriteFile(root_ + "/bin/" + name, "#!/bin/sh\n");
        ASSERT_EQ(::chmod((root_ + "/bin/" + name).c_str(), 0755), 0);
    }
    // A desktop entry in the user's applications folder.
    void Entry(const std::string& id, const std::string& body) { WriteFile(root_ + "/data/applications/" + id, body); }
    void Application(const std::string& id, const std::string& exec) {
        Entry(id, "[Desktop Entry]\nType=Application\nExec=" + exec + "\n");
    }

    const TempFolder folder_;
    const std::string root_ = folder_.Path();
    // What PATH held before the test's: for the servers a test starts.
    const std::string systemPath_ = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "/usr/bin:/bin";
    const ScopedEnv path_{"PATH", (root_ + "/bin").c_str()};
    const ScopedEnv dataHome_{"XDG_DATA_HOME", (root_ + "/data").c_str()};
    const ScopedEnv dataDirs_{"XDG_DATA_DIRS", (root_ + "/system").c_str()};
    const ScopedEnv configHome_{"XDG_CONFIG_HOME", (root_ + "/config").c_str()};
    const ScopedEnv configDirs_{"XDG_CONFIG_DIRS", (root_ + "/etc").c_str()};
    const ScopedEnv desktop_{"XDG_CURRENT_DESKTOP", nullptr};
};

}  // namespace kelm::test
