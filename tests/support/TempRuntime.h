// A throw-away runtime folder per test process: XDG_RUNTIME_DIR points into
// a fresh temporary folder, so endpoints and shared objects of a test never
// meet those of a running session or of another test.
#pragma once

#include <string>

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {

class TempRuntime {
public:
    TempRuntime() : env_("XDG_RUNTIME_DIR", root_.Path().c_str()) {}

    const std::string& Root() const { return root_.Path(); }
    std::string Runtime() const { return root_ / "VELDAN"; }

private:
    TempFolder root_;
    ScopedEnv env_;
};

}  // namespace kelm::test
