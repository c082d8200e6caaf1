// A throw-away program folder per test, with the per-user folders (the
// registry stand-in, the shared settings folder) pointed inside it so that
// no test reads or writes the real home.
#pragma once

#include <filesystem>
#include <string>

#include "settings/StoreLocation.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {

class TempProgramFolder {
public:
    TempProgramFolder()
        : config_("XDG_CONFIG_HOME", (root_ / "xdg-config").c_str()),
          data_("XDG_DATA_HOME", (root_ / "xdg-data").c_str()) {
        std::filesystem::create_directories(root_ / "program/config");
        where_ = StoreLocation::ForProgramFolder(root_ / "program");
    }

    const StoreLocation& Where() const { return where_; }
    const std::string& Root() const { return root_.Path(); }
    std::string Program(const std::string& relative) const { return where_.programFolder + relative; }

private:
    TempFolder root_;
    ScopedEnv config_;
    ScopedEnv data_;
    StoreLocation where_;
};

}  // namespace kelm::test
