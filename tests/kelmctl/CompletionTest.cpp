// The bash completion of kelmctl, sourced into a real bash and asked for
// the completions of partial command lines.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"
#include "tools/kelmctl/Commands.h"
#include "tools/kelmctl/Completion.h"

namespace kelm::test {
namespace {

class BashCompletion : public testing::Test {
protected:
    void SetUp() override {
        WriteFile(script_, ctl::BashCompletion(ctl::KelmctlCommands(), "kelmctl"));
        WriteFile(folder_ / "backup.json", "{}");
        ASSERT_EQ(::mkdir((folder_ / "backups").c_str(), 0700), 0);
    }

    // COMPREPLY for the words typed so far, the last being the word under the cursor.
    std::vector<std::string> Complete(const std::vector<std::string>& words) {
        std::string line = "cd '" + folder_.Path() + "' && source '" + script_ + "' && COMP_WORDS=(";
        for (const std::string& word : words) line += "'" + word + "' ";
        line += "); COMP_CWORD=" + std::to_string(words.size() - 1) + "; _kelmctl; printf '%s\\n' \"${COMPREPLY[@]}\"";
        const pid_t bash = Spawn({"/bin/bash", "--norc", "-c", line}, folder_ / "out", folder_ / "err");
        EXPECT_EQ(WaitExit(bash, 10000), 0) << ReadFile(folder_ / "err");
        EXPECT_EQ(ReadFile(folder_ / "err"), "");
        std::vector<std::string> reply;
        std::istringstream out(ReadFile(folder_ / "out"));
        for (std::string word; std::getline(out, word);)
            if (!word.empty()) reply.push_back(word);
        std::sort(reply.begin(), reply.end());
        return reply;
    }

    TempFolder folder_;
    const std::string script_ = folder_ / "kelmctl.bash";
};

TEST_F(BashCompletion, OffersWhatTheCommandTableHolds) {
    using Words = std::vector<std::string>;
    const std::vector<std::pair<Words, Words>> cases = {
        {{"kelmctl", "pro"}, {"profile"}},
        {{"kelmctl", "c"}, {}},  // the completion command itself is hidden
        {{"kelmctl", "d"}, {"doctor"}},
        {{"kelmctl", "profile", "s"}, {"show", "switch"}},
        {{"kelmctl", "keyboard", ""}, {"--help", "backup", "dump", "restore"}},
        {{"kelmctl", "profile", "switch", ""}, {"1", "2", "3", "4", "5"}},
        {{"kelmctl", "status", "--"}, {"--help", "--home", "--json"}},
        {{"kelmctl", "keyboard", "dump", "--v"}, {"--verbose"}},
        {{"kelmctl", "keyboard", "restore", "back"}, {"backup.json", "backups"}},
        {{"kelmctl", "doctor", "--home", "back"}, {"backups"}},
        {{"kelmctl", "firmware", "make-image", "--size", ""}, {}},
        {{"kelmctl", "nonsense", ""}, {}},
    };
    for (const auto& [typed, offered] : cases) {
        std::string text;
        for (const std::string& word : typed) text += word + ' ';
        EXPECT_EQ(Complete(typed), offered) << text;
    }
}

TEST_F(BashCompletion, TheBuildWritesTheScriptOfTheCommandTable) {
    EXPECT_EQ(ReadFile(KELM_COMPLETION_FILE), ReadFile(script_)) << "regenerated at every build of kelmctl";
    const ProgramResult printed = RunKelmctl({"completion", "bash"}, folder_.Path());
    EXPECT_EQ(printed.status, 0);
    EXPECT_EQ(printed.out, ReadFile(script_));
    EXPECT_EQ(RunKelmctl({"--help"}, folder_.Path()).out.find("completion"), std::string::npos);
}

}  // namespace
}  // namespace kelm::test
