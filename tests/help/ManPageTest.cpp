// The manual pages made from the programs' help: each renders without a
// warning and has the sections a reader looks for.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "platform/Version.h"
#include "tests/support/Programs.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

struct PageCase {
    std::string launcher;
    std::string program;
};

TEST(ManPages, RenderWithoutWarningsAndHaveTheirSections) {
    const std::vector<PageCase> pages = {{"kelmwatch", "KelmWatch"},
                                         {"kelmsetup", "KelmSetup"},
                                         {"kelmflash", "KelmFlash"},
                                         {"kelmctl", "kelmctl"},
                                         {"kelmemu", "KelmEmu"}};
    TempFolder scratch;
    for (const PageCase& page : pages) {
        const std::string path = std::string(KELM_MAN_FOLDER) + "/" + page.launcher + ".1";
        const std::string source = ReadFile(path);
        ASSERT_FALSE(source.empty()) << path;
        std::string title = page.launcher;
        for (char& c : title) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_NE(source.find(".TH " + title + " \"1\""), std::string::npos) << source.substr(0, 300);
        EXPECT_NE(source.find("\"" + page.program + " " + kSuiteVersion + "\""), std::string::npos) << path;
        for (const char* section : {".SH NAME\n", ".SH SYNOPSIS\n", ".SH DESCRIPTION\n", ".SH OPTIONS\n",
                                    ".SH ENVIRONMENT\n", ".SH FILES\n", ".SH \"SEE ALSO\"\n"})
            EXPECT_NE(source.find(section), std::string::npos) << path << " lacks " << section;

        const std::string out = scratch / "groff.out";
        const pid_t pid = Spawn({"/usr/bin/env", "groff", "-man", "-ww", "-z", "-Tutf8", path}, out);
        ASSERT_GT(pid, 0);
        const int status = WaitExit(pid, 30000);
        if (status == 127) GTEST_SKIP() << "groff is not installed";
        EXPECT_EQ(status, 0) << path;
        EXPECT_EQ(ReadFile(out), "") << path;
    }
}

}  // namespace
}  // namespace kelm::test
