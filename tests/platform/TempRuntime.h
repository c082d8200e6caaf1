// A throw-away runtime folder per test process: XDG_RUNTIME_DIR points into
// a fresh temporary folder, so endpoints and shared objects of a test never
// meet those of a running session or of another test.
#pragma once

#include <filesystem>
#include <string>

#include "tests/settings/TestFolder.h"

namespace kelm::test {

class TempRuntime {
public:
    TempRuntime() : root_(MakeTempRoot()), env_("XDG_RUNTIME_DIR", root_.c_str()) {}
    ~TempRuntime() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    TempRuntime(const TempRuntime&) = delete;
    TempRuntime& operator=(const TempRuntime&) = delete;

    const std::string& Root() const { return root_; }
    std::string Runtime() const { return root_ + "/VELDAN"; }

private:
    std::string root_;
    ScopedEnv env_;
};

}  // namespace kelm::test
