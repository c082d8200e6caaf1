// The slot menus as data: every kind of slot offers its entries in order
// with the catalogue's commands, the macro and timer lists follow the
// library and the timer file, and the entry the key holds is checked.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "settings/Defaults.h"
#include "settings/Text.h"
#include "setup/SlotMenus.h"
#include "tests/setup/MenuOutline.h"

namespace kelm::test {
namespace {

const MenuSpec& Find(const MenuSpec& menu, const std::string& text) {
    for (const MenuSpec& item : menu.items)
        if (item.text == text) return item;
    static const MenuSpec none;
    ADD_FAILURE() << "no entry " << text;
    return none;
}

class SlotMenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultKeyEntry(entry, 2);
        for (const char* name : {"World of Warcraft", "Xfire", "Racing"}) library.Sets.push_back({name, {}});
        library.Sets[1].Macros.resize(2);
        CopyField(library.Sets[1].Macros[0].Name, "Dodge");
        CopyField(library.Sets[1].Macros[1].Name, "Reload");
        timers.resize(2);
        CopyField(timers[0].TimerName, "Pizza");
        CopyField(timers[1].TimerName, "Respawn");
    }
    MenuSpec Menu(KeyPageKind page, int key) {
        return SlotMenu(page, key, {entry, library, timers, {0, 800, 0, 0, 0}});
    }

    MacroKeyInfo entry{};
    MacroLibrary library;
    TimerList timers;
};

TEST_F(SlotMenusTest, EachKindOfSlotOffersItsEntriesInOrder) {
    const std::string common =
        "Macro + Preset Function>|Assign a Timer>|Profile>|Multimedia>|Internet Explorer>|System>|-|Standard=1001|"
        "Assign a Shortcut=1005|EMail=1006|Calculator=1007|My Computer=1008|IE Browser=1009|Quicklaunch=1010|"
        "Disabled=1011|Open Driver=1060";
    struct Case {
        KeyPageKind page;
        int key;
        std::string outline;
    };
    const Case cases[] = {
        {KeyPageKind::HotGrid, 10,
         "Macro + Preset Function>|Assign a Timer>|-|Standard=1001|Assign a Shortcut=1005|Quicklaunch=1010|"
         "Disabled=1011"},
        {KeyPageKind::MacroKeys, 56, "DuoLayer[+] Kelm=1002|VELDAN Pact>|-|Standard=1001|Disabled=1011"},
        {KeyPageKind::MacroKeys, 57, "-|Standard=1001|Disabled=1011"},
        {KeyPageKind::MacroKeys, 2, "DuoLayer[+] Kelm=1002|VELDAN Pact>|" + common},
        {KeyPageKind::MacroKeys, 31, "DuoLayer[+] Kelm=1002|VELDAN Pact>|" + common},
        {KeyPageKind::MacroKeys, 7, common},
        {KeyPageKind::MediaF, 36,
         "Assign a Timer>|Profile>|-|Standard=1001|Macro-Play/Pause=1003|Assign a Shortcut=1005|Quicklaunch=1010|"
         "Disabled=1011"},
        {KeyPageKind::MediaF, 55,
         "Multimedia>|Internet Explorer>|System>|-|Standard=1001|EMail=1006|Calculator=1007|My Computer=1008|"
         "IE Browser=1009|Disabled=1011"},
    };
    for (const Case& c : cases) {
        const MenuSpec menu = Menu(c.page, c.key);
        EXPECT_EQ(Outline(menu), c.outline) << "key " << c.key;
        EXPECT_EQ(menu.width, kSlotMenuWidth);
    }
    const MenuSpec menu = Menu(KeyPageKind::MacroKeys, 2);
    EXPECT_EQ(Outline(Find(menu, "Multimedia")),
              "Windows Mute=1030|Windows Volume Up=1031|Windows Volume Down=1032|-|Open Player=1033|"
              "Previous Track=1034|Next Track=1035|Play/Pause=1036|Stop=1037");
    const MenuSpec& pact = Find(menu, "VELDAN Pact");
    EXPECT_EQ(pact.width, kPactMenuWidth);
    EXPECT_EQ(Outline(Find(pact, "VELDAN Pact: Vask[+]")),
              "DuoLayer[+] Vask[+]=11210|DuoLayer[+] Vask[+] Lock/Unlock=11211|-|Steadix #1=11212|"
              "Steadix 800 DPI=11213|Steadix #3=11214|Steadix #4=11215|Steadix #5=11216");
}

TEST_F(SlotMenusTest, MacrosAndTimersFollowTheLibraryAndWhatTheKeyHoldsIsChecked) {
    entry.FunctionCode = kFnMacro;
    CopyField(entry.MacroSetName, "XFIRE ");
    CopyField(entry.MacroName, "reload");
    const MenuSpec macros = Find(Menu(KeyPageKind::HotGrid, 10), "Macro + Preset Function");
    // The maker's two preset sets close their group.
    EXPECT_EQ(Outline(macros),
              "Create New Macro...=1099|Macro-Play/Pause=1003|-|World of Warcraft>|-|Xfire>*|-|Racing>");
    EXPECT_EQ(Outline(Find(macros, "Xfire")), "Edit Macro...=11101|-|Dodge=1200|Reload=1201*");
    EXPECT_EQ(Outline(Find(macros, "Racing")), "Edit Macro...=11102");

    entry.FunctionCode = 0xBC;
    CopyField(entry.TimerName, "Respawn");
    EXPECT_EQ(Outline(Find(Menu(KeyPageKind::MediaF, 40), "Assign a Timer")),
              "Create Timer=500|Edit/Delete Timer=501|Stop Timer=502|-|Pizza=505|Respawn=506*");

    // A plain function is checked where it is offered; a Pact function only
    // with its own device.
    entry.FunctionCode = 0xB0;
    EXPECT_EQ(Find(Find(Menu(KeyPageKind::MacroKeys, 0), "Profile"), "Profile Up").checked, true);
    entry.FunctionCode = 0xF5;
    entry.TargetDevice = 0;
    const auto vask = [&] {
        return Find(Find(Find(Menu(KeyPageKind::MacroKeys, 0), "VELDAN Pact"), "VELDAN Pact: Vask[+]"),
                    "DuoLayer[+] Vask[+]");
    };
    EXPECT_FALSE(vask().checked);
    entry.TargetDevice = kTargetVask;
    EXPECT_TRUE(vask().checked);
}

}  // namespace
}  // namespace kelm::test
