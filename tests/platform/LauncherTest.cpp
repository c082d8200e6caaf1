#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>

#include "platform/ProcessLauncher.h"
#include "platform/UniqueFd.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace kelm {
namespace {

class Launcher : public ::testing::Test {
protected:
    void SetUp() override {
        fifo_ = root_ + "/out";
        ASSERT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
        // Opened before anything starts, so a writer never waits for us.
        reader_.Reset(::open(fifo_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        ASSERT_TRUE(reader_);
    }

    // What the started program wrote to the fifo, up to its end.
    std::string Output() {
        std::string text;
        for (;;) {
            pollfd p{reader_.Get(), POLLIN, 0};
            if (::poll(&p, 1, 10000) != 1) return text + "<no end>";
            char chunk[256];
            const ssize_t n = ::read(reader_.Get(), chunk, sizeof chunk);
            if (n > 0) text.append(chunk, static_cast<std::size_t>(n));
            if (n == 0 && !text.empty()) return text;
        }
    }

    const test::TempFolder folder_;
    const std::string root_ = folder_.Path();
    std::string fifo_;
    UniqueFd reader_;
    SystemLauncher launcher_;
};

TEST_F(Launcher, ProgramRunsInASessionOfItsOwnWithItsArguments) {
    ASSERT_TRUE(launcher_.StartProgram(
        "/bin/sh", {"-c", "echo $$ $(cut -d' ' -f6 /proc/$$/stat) \"$0\" > \"$1\"", "two words", fifo_}));
    std::istringstream out(Output());
    long pid = 0;
    long session = 0;
    std::string argument;
    out >> pid >> session;
    std::getline(out >> std::ws, argument);
    EXPECT_EQ(session, pid);
    EXPECT_NE(session, static_cast<long>(::getsid(0)));
    EXPECT_EQ(argument, "two words");
}

TEST_F(Launcher, MissingProgramFails) {
    EXPECT_FALSE(launcher_.StartProgram(root_ + "/KelmOSD", {}));
    EXPECT_FALSE(launcher_.StartProgram("", {}));
}

TEST_F(Launcher, DocumentsGoToXdgOpen) {
    const std::string bin = root_ + "/bin";
    test::WriteFile(bin + "/xdg-open", "#!/bin/sh\necho \"$@\" > " + fifo_ + "\n");
    ASSERT_EQ(::chmod((bin + "/xdg-open").c_str(), 0755), 0);
    const test::ScopedEnv path("PATH", (bin + ":" + std::getenv("PATH")).c_str());
    ASSERT_TRUE(launcher_.OpenDocument("https://example.com/a b"));
    EXPECT_EQ(Output(), "https://example.com/a b\n");
}

TEST_F(Launcher, XdgOpenMissingFails) {
    const test::ScopedEnv path("PATH", root_.c_str());
    EXPECT_FALSE(launcher_.OpenDocument("help/English.html"));
}

class RecordingLauncher final : public ProcessLauncher {
public:
    bool StartProgram(const std::string& executable, const std::vector<std::string>& arguments) override {
        calls.push_back("start " + executable + (arguments.empty() ? "" : " " + arguments[0]));
        return true;
    }
    bool OpenDocument(const std::string& target) override {
        calls.push_back("open " + target);
        return true;
    }
    std::vector<std::string> calls;
};

TEST_F(Launcher, ShellOpenStartsExecutablesAndOpensEverythingElse) {
    const std::string program = root_ + "/KelmSetup";
    const std::string document = root_ + "/readme.txt";
    test::WriteFile(program, "#!/bin/sh\n");
    ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
    test::WriteFile(document, "text");
    RecordingLauncher recorder;
    ShellOpen(recorder, program, {"1"});
    ShellOpen(recorder, document, {});
    ShellOpen(recorder, root_, {});
    ShellOpen(recorder, "https://example.com", {});
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"start " + program + " 1", "open " + document, "open " + root_,
                                                        "open https://example.com"}));
}

}  // namespace
}  // namespace kelm
