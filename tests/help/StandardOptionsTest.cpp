// The options every program answers alike, on the shared helper itself.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/StandardOptions.h"
#include "platform/Version.h"

namespace kelm::test {
namespace {

// A program with a flag and a value option, as KelmEmu and KelmFlash have.
ProgramHelp Program() {
    return {.program = "Prog", .text = "Usage: Prog\n", .flags = {"--dry"}, .valueOptions = {"--state"}};
}

struct ScanCase {
    const char* what;
    std::vector<std::string> args;
    StandardOption found;
    std::string refusal = {};
};

TEST(StandardOptions, FindsHelpVersionAndRefusedOptionsInOrder) {
    const std::vector<ScanCase> cases = {
        {"nothing", {}, StandardOption::None},
        {"plain arguments and known options", {"1", "--dry", "--state", "s.ini"}, StandardOption::None},
        {"help anywhere", {"1", "--dry", "--help"}, StandardOption::Help},
        {"version", {"--version"}, StandardOption::Version},
        {"the first one counts", {"--version", "--help"}, StandardOption::Version},
        {"an unknown option before help", {"--bogus", "--help"}, StandardOption::Refused, "unknown option --bogus"},
        {"an unknown option with a value", {"--bogus=--help"}, StandardOption::Refused, "unknown option --bogus"},
        {"a value that looks like an option", {"--state", "--help"}, StandardOption::None},
        {"a value after =", {"--state=--bogus"}, StandardOption::None},
        {"a flag given a value", {"--dry=1"}, StandardOption::Refused, "option --dry takes no value"},
        {"-- ends the options", {"--", "--help", "--bogus"}, StandardOption::None},
        {"single dashes are arguments", {"-h", "-x"}, StandardOption::None},
    };
    for (const ScanCase& c : cases) {
        const OptionScan scan = ScanStandardOptions(Program(), c.args);
        EXPECT_EQ(scan.found, c.found) << c.what;
        EXPECT_EQ(scan.refusal, c.refusal) << c.what;
    }
}

TEST(StandardOptions, QtProgramsKeepUnknownOptionsAndCommandsKeepTheirs) {
    ProgramHelp qt = Program();
    qt.refuseUnknown = false;
    EXPECT_EQ(ScanStandardOptions(qt, std::vector<std::string>{"--platform", "offscreen"}).found, StandardOption::None);
    EXPECT_EQ(ScanStandardOptions(qt, std::vector<std::string>{"--platform", "offscreen", "--help"}).found,
              StandardOption::Help);

    ProgramHelp commands = Program();
    commands.optionsBeforeCommand = true;
    EXPECT_EQ(ScanStandardOptions(commands, std::vector<std::string>{"make-image", "F", "--version", "3"}).found,
              StandardOption::None);
    EXPECT_EQ(ScanStandardOptions(commands, std::vector<std::string>{"status", "--bogus"}).found, StandardOption::None);
    EXPECT_EQ(ScanStandardOptions(commands, std::vector<std::string>{"--version", "status"}).found,
              StandardOption::Version);
    EXPECT_EQ(ScanStandardOptions(commands, std::vector<std::string>{"--bogus", "status"}).found,
              StandardOption::Refused);
}

// What a call printed on out and on err, and the status it returned.
struct Answer {
    std::optional<int> status;
    std::string out;
    std::string err;
};

std::string Contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) text += static_cast<char>(c);
    std::fclose(file);
    return text;
}

Answer Answered(std::vector<const char*> args) {
    args.insert(args.begin(), "Prog");
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Answer answer;
    answer.status = AnswerStandardOptions(Program(), static_cast<int>(args.size()), args.data(), out, err);
    answer.out = Contents(out);
    answer.err = Contents(err);
    return answer;
}

TEST(StandardOptions, AnswersOnStandardOutputOrRefusesInOneLine) {
    const Answer help = Answered({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out, "Usage: Prog\n");
    EXPECT_EQ(help.err, "");

    const Answer version = Answered({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("Prog ") + kSuiteVersion + "\n");

    const Answer refused = Answered({"--bogus"});
    EXPECT_EQ(refused.status, kUsageExitStatus);
    EXPECT_EQ(refused.out, "");
    EXPECT_EQ(refused.err, "Prog: unknown option --bogus (see 'Prog --help')\n");

    const Answer run = Answered({"--dry"});
    EXPECT_EQ(run.status, std::nullopt);
    EXPECT_EQ(run.out + run.err, "");
}

TEST(StandardOptions, AHelpThatCannotBeWrittenIsAFailure) {
    std::FILE* full = std::fopen("/dev/full", "w");
    if (full == nullptr) GTEST_SKIP() << "no /dev/full";
    const char* args[] = {"Prog", "--help"};
    EXPECT_EQ(AnswerStandardOptions(Program(), 2, args, full, stderr), 1);
    std::fclose(full);
}

}  // namespace
}  // namespace kelm::test
