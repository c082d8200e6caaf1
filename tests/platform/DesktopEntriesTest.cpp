#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/DesktopEntries.h"
#include "tests/platform/XdgFolders.h"

namespace kelm {
namespace {

using Args = std::vector<std::string>;

TEST(DesktopEntries, ExecIsSplitAsTheDesktopDoesWithoutFieldCodes) {
    const std::vector<std::pair<std::string, std::optional<Args>>> cases = {
        {"vlc --started-from-file %U", Args{"vlc", "--started-from-file"}},
        {R"("/opt/My Player/play" --file=%f --icon %i)", Args{"/opt/My Player/play", "--file=", "--icon"}},
        {R"(sh -c "echo \\"hi\\" \\$HOME \\\\ `x`")", Args{"sh", "-c", R"(echo "hi" $HOME \ `x`)"}},
        {"app %% 100%% %c%k", Args{"app", "%", "100%"}},
        {R"(app "" end)", Args{"app", "", "end"}},
        {"  %U\t", Args{}},
        {R"(app "open)", std::nullopt},
    };
    for (const auto& [exec, expected] : cases) EXPECT_EQ(SplitExec(exec), expected) << exec;
}

class DesktopFolders : public test::XdgFolders {
protected:
    std::optional<Args> Launch(const std::string& id) {
        const auto file = FindDesktopFile(id);
        return file ? DesktopLaunchCommand(*file) : std::nullopt;
    }
    const test::ScopedEnv desktops_{"XDG_CURRENT_DESKTOP", "ubuntu:GNOME"};
};

TEST_F(DesktopFolders, AnEntryStartsItsProgramFromPathWhenItIsAnInstalledApplication) {
    Program("vlc");
    Program("player");
    Entry("vlc.desktop",
          "[Desktop Entry]\nName=VLC\nExec[de]=evil\nType=Application\nExec=vlc --started-from-file %U\n"
          "[Desktop Action new]\nExec=other\n");
    Entry("hidden.desktop", "[Desktop Entry]\nType=Application\nExec=vlc\nHidden=true\n");
    Entry("link.desktop", "[Desktop Entry]\nType=Link\nExec=vlc\n");
    Application("gone.desktop", "not-installed");
    Entry("tryexec.desktop", "[Desktop Entry]\nType=Application\nTryExec=not-installed\nExec=vlc\n");
    Application("absolute.desktop", root_ + "/bin/player -q");
    test::WriteFile(root_ + "/system/applications/system.desktop", "[Desktop Entry]\nType=Application\nExec=player\n");

    EXPECT_EQ(Launch("vlc.desktop"), (Args{root_ + "/bin/vlc", "--started-from-file"}));
    EXPECT_EQ(Launch("absolute.desktop"), (Args{root_ + "/bin/player", "-q"}));
    EXPECT_EQ(Launch("system.desktop"), Args{root_ + "/bin/player"});
    for (const char* none : {"hidden.desktop", "link.desktop", "gone.desktop", "tryexec.desktop", "nowhere.desktop",
                             "../data/applications/vlc.desktop"})
        EXPECT_EQ(Launch(none), std::nullopt) << none;
    // A relative PATH entry would make the program depend on the folder
    // the monitor was started in.
    test::WriteFile(root_ + "/relative/only-relative", "#!/bin/sh\n");
    ASSERT_EQ(::chmod((root_ + "/relative/only-relative").c_str(), 0755), 0);
    const std::string relative = std::filesystem::relative(root_ + "/relative").string();
    const test::ScopedEnv relativePath("PATH", (relative + ":" + root_ + "/bin").c_str());
    EXPECT_EQ(FindProgram("only-relative"), std::nullopt);
    EXPECT_EQ(FindProgram("vlc"), root_ + "/bin/vlc");
    EXPECT_EQ(FindProgram("bin/vlc"), std::nullopt);
}

TEST_F(DesktopFolders, TheDefaultPlayerIsTheFirstInstalledOfTheMostSpecificList) {
    Application("tunes.desktop", "tunes");
    Application("vlc.desktop", "vlc");
    Application("audacious.desktop", "audacious");
    EXPECT_EQ(DefaultApplication("audio/mpeg"), std::nullopt);

    test::WriteFile(root_ + "/data/applications/mimeinfo.cache",
                    "[MIME Cache]\naudio/mpeg=gone.desktop;audacious.desktop;\n");
    EXPECT_EQ(DefaultApplication("audio/mpeg"), "audacious.desktop");
    test::WriteFile(root_ + "/etc/mimeapps.list",
                    "[Added Associations]\naudio/mpeg=vlc.desktop\n"
                    "[Default Applications]\naudio/mpeg=gone.desktop;tunes.desktop;\n");
    EXPECT_EQ(DefaultApplication("audio/mpeg"), "tunes.desktop");
    test::WriteFile(root_ + "/config/gnome-mimeapps.list", "[Default Applications]\naudio/mpeg=vlc.desktop\n");
    EXPECT_EQ(DefaultApplication("audio/mpeg"), "vlc.desktop");
    EXPECT_EQ(DefaultApplication("audio/flac"), std::nullopt);
}

}  // namespace
}  // namespace kelm
