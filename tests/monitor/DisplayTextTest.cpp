// What KelmOSD gets from the monitor: a display text handed over by
// WM_COPYDATA is stored in config.ini and announced with 1324 while the
// keyboard is connected.
#include "MonitorFixture.h"
#include "monitor/DisplayText.h"
#include "settings/IniFile.h"

namespace kelm::test {
namespace {

const std::string kOsd(kOsdTitle);

std::string Block151(const std::string& text) {
    std::string block(151, '\0');
    block.replace(1, std::min<std::size_t>(text.size(), 150), text.substr(0, 150));
    return block;
}

class DisplayTextTest : public MonitorTest {
protected:
    void SetUp() override { files.loaded->CurrentProfile = 0; }
    void CreateWithRealDisplay() {
        MonitorPorts ports = Ports();
        ports.actions.display = &display;
        wnd = std::make_unique<CMonitorWnd>(std::move(ports), false);
        ASSERT_TRUE(wnd->Create());
        loop.RunPosted();
    }
    std::optional<std::string> Stored(std::string_view section = kDisplayTextSection,
                                      std::string_view key = kDisplayTextKey) {
        const IniFile config(folder.Where().ConfigPath());
        const auto value = config.Lookup(section, key);
        return value ? std::optional<std::string>(*value) : std::nullopt;
    }

    OsdDisplayText display{windows, folder.Where().ConfigPath()};
};

TEST_F(DisplayTextTest, ATextIsStoredAndAnnouncedOnlyWhereKelmOsdCanShowIt) {
    struct Case {
        const char* name;
        std::string data;
        bool osdRunning;
        bool keyboardConnected;
        std::optional<std::string> stored;
        bool announced;
    };
    const Case cases[] = {
        {"shown", Block151("Hello"), true, true, "Hello", true},
        {"all 150 characters", "x" + std::string(150, 'A'), true, true, std::string(150, 'A'), true},
        {"keyboard away", Block151("Away"), true, false, "Away", false},
        {"no KelmOSD", Block151("Nobody"), false, true, "Nobody", false},
        // A line break would end the value in the file.
        {"line breaks", Block151("two\r\nlines"), true, true, "two  lines", true},
        {"150 bytes", std::string(150, 'B'), true, true, std::nullopt, false},
        {"152 bytes", std::string(152, 'B'), true, true, std::nullopt, false},
        {"empty", "", true, true, std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(folder.Where().ConfigPath());
        IniFile seed(folder.Where().ConfigPath());
        seed.WriteString("Setting", "CurrentProfile", "3");
        ASSERT_TRUE(seed.Save());
        windows.existing.clear();
        if (c.osdRunning) windows.Open(kOsd);
        const std::size_t before = windows.PostsTo(kOsd).size();
        CreateWithRealDisplay();
        if (!c.keyboardConnected) Presence(0);

        WindowMessage text = Message(WM_COPYDATA);
        text.kind = MessageKind::CopyData;
        text.data = c.data;
        EXPECT_EQ(wnd->WindowProc(text), 1);
        EXPECT_EQ(Stored(), c.stored);
        EXPECT_EQ(Stored("Setting", "CurrentProfile"), "3");  // the rest of the file stays
        const auto posts = windows.PostsTo(kOsd);
        ASSERT_EQ(posts.size() - before, c.announced ? 1u : 0u);
        if (c.announced) {
            EXPECT_EQ(posts.back().msg, MSG_OSD_SHOW_TEXT);
            EXPECT_EQ(posts.back().wParam, 50u);
            EXPECT_EQ(posts.back().lParam, 0);
        }
        wnd->Destroy();
        wnd.reset();
    }
}

}  // namespace
}  // namespace kelm::test
