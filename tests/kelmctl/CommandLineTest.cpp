#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tools/kelmctl/CommandLine.h"

namespace kelm::ctl {
namespace {

// What the last command run received.
CommandArgs g_received;
int g_runs = 0;

int Record(const CommandArgs& args, CommandIo&) {
    g_received = args;
    ++g_runs;
    return 42;
}

class CommandLineTest : public testing::Test {
protected:
    CommandLineTest() {
        set_.intro = "tool - test\n";
        set_.footer = "footer\n";
        set_.commands = {
            {"grp show", "FILE", "show a file", "shows FILE\n", 1, {}, Record},
            {"grp copy", "IN OUT", "copy a file", "copies\n", 2, {}, Record},
            {"home show", "[--home DIR]", "show a folder", "shows DIR\n", 0, {"--home"}, Record},
            {"status", "", "one-word command", "status help\n", 0, {}, Record},
        };
        g_runs = 0;
        g_received = {};
    }

    int Run(std::vector<std::string> args) {
        out_.str("");
        err_.str("");
        return RunCommandLine(set_, args, io_);
    }

    CommandSet set_;
    std::istringstream in_;
    std::ostringstream out_, err_;
    CommandIo io_{"tool", in_, out_, err_};
};

TEST_F(CommandLineTest, HelpAtEveryLevelGoesToStandardOutput) {
    EXPECT_EQ(Run({"--help"}), kExitOk);
    EXPECT_NE(out_.str().find("grp copy IN OUT"), std::string::npos);
    EXPECT_NE(out_.str().find("status"), std::string::npos);
    EXPECT_EQ(Run({"grp", "-h"}), kExitOk);
    EXPECT_NE(out_.str().find("grp show FILE"), std::string::npos);
    EXPECT_EQ(out_.str().find("status"), std::string::npos) << "only the group's commands";
    // Help wins over missing or surplus arguments and never runs the command.
    EXPECT_EQ(Run({"grp", "copy", "a", "--help"}), kExitOk);
    EXPECT_EQ(out_.str(), "Usage: tool grp copy IN OUT\n\ncopies\n");
    EXPECT_EQ(Run({"status", "--help"}), kExitOk);
    EXPECT_EQ(g_runs, 0);
    EXPECT_TRUE(err_.str().empty());
}

TEST_F(CommandLineTest, UsageErrorsGoToStandardErrorWithStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"nope"},
        {"grp"},
        {"grp", "nope"},
        {"grp", "show"},
        {"grp", "show", "a", "b"},
        {"grp", "show", "--home", "x", "a"},
        {"home", "show", "--home"},
        {"home", "show", "--home", "a", "--home=b"},
        {"home", "show", "extra"},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(Run(args), kExitUsage) << testing::PrintToString(args);
        EXPECT_FALSE(err_.str().empty());
        EXPECT_TRUE(out_.str().empty());
    }
    EXPECT_EQ(g_runs, 0);
    Run({"grp", "nope"});
    EXPECT_EQ(err_.str(),
              "tool: grp: unknown command 'nope'\nCommands: grp show, grp copy.\n"
              "Run 'tool grp --help' for details.\n");
}

TEST_F(CommandLineTest, ParsesArgumentsAndPassesTheStatusOn) {
    EXPECT_EQ(Run({"grp", "copy", "-", "out"}), 42);
    EXPECT_EQ(g_received.positional, (std::vector<std::string>{"-", "out"}));
    EXPECT_EQ(Run({"grp", "show", "--", "--help"}), 42) << "after -- everything is an argument";
    EXPECT_EQ(g_received.positional, std::vector<std::string>{"--help"});
    ASSERT_EQ(Run({"home", "show", "--home", "/a b"}), 42);
    ASSERT_NE(g_received.Option("--home"), nullptr);
    EXPECT_EQ(*g_received.Option("--home"), "/a b");
    ASSERT_EQ(Run({"home", "show", "--home=/c"}), 42);
    EXPECT_EQ(*g_received.Option("--home"), "/c");
    ASSERT_EQ(Run({"home", "show"}), 42);
    EXPECT_EQ(g_received.Option("--home"), nullptr);
    EXPECT_EQ(Run({"status"}), 42);
}

TEST_F(CommandLineTest, FlagsTakeNoValue) {
    set_.commands.push_back(
        {"dev dump", "[--home DIR] [--verbose]", "dump", "dumps\n", 0, {"--home"}, Record, {"--verbose"}});
    ASSERT_EQ(Run({"dev", "dump", "--verbose", "--home", "/h"}), 42);
    EXPECT_TRUE(g_received.Flag("--verbose"));
    EXPECT_EQ(*g_received.Option("--home"), "/h");
    ASSERT_EQ(Run({"dev", "dump"}), 42);
    EXPECT_FALSE(g_received.Flag("--verbose"));
    EXPECT_EQ(Run({"dev", "dump", "--verbose=yes"}), kExitUsage);
    EXPECT_NE(err_.str().find("--verbose takes no value"), std::string::npos) << err_.str();
    EXPECT_EQ(Run({"dev", "dump", "--verbose", "--verbose"}), kExitUsage);
    EXPECT_EQ(Run({"home", "show", "--verbose"}), kExitUsage) << "only the commands that have the flag";
    EXPECT_EQ(g_runs, 2);
}

}  // namespace
}  // namespace kelm::ctl
