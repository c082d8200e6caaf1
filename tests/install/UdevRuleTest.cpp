// The keyboard's udev rule against the ids libdevbridge.so is given (the
// shipped devbridge.ini, read by devbridge's own code), and the optional
// uinput rule: each tags its device for uaccess and grants nothing else.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "devbridge/HidConfig.h"
#include "tests/install/UdevRules.h"
#include "tests/support/TempFolder.h"

namespace kelm::test {
namespace {

const std::string kData = KELM_DATA_DIR;
const std::string kKeyboardRules = "70-kelm-keyboard.rules";
const std::string kUinputRules = "71-kelm-uinput.rules";

bridge::HidConfig ShippedConfig() {
    std::string error;
    const auto config = bridge::LoadHidConfig(kData + "/devbridge/devbridge.ini", &error);
    if (!config) ADD_FAILURE() << error;
    return config.value_or(bridge::HidConfig{});
}

// sysfs spells the ids as four lower-case hex digits, and udev compares
// them as text: "1A2C" or "0x1a2c" would never match.
std::string SysfsId(unsigned id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", id);
    return text;
}

std::vector<std::string> KeyboardRuleProblems(const std::string& text, const bridge::HidConfig& config) {
    std::vector<std::string> problems;
    const std::vector<UdevRule> rules = ParseUdevRules(text, &problems);
    if (rules.empty()) problems.push_back("no rule");
    for (const UdevRule& rule : rules) {
        const std::pair<std::string, std::string> matches[] = {{"SUBSYSTEM", "hidraw"},
                                                               {"ATTRS{idVendor}", SysfsId(config.vendorId)},
                                                               {"ATTRS{idProduct}", SysfsId(config.productId)}};
        for (const auto& [name, value] : matches) {
            const std::string* found = FindKey(rule, name, "==");
            if (found == nullptr || *found != value) problems.push_back(name + " must be \"" + value + "\"");
        }
        const std::string* tag = FindKey(rule, "TAG", "+=");
        if (tag == nullptr || *tag != "uaccess") problems.push_back("no TAG+=\"uaccess\"");
        for (std::string& problem : GrantProblems(rule)) problems.push_back(std::move(problem));
    }
    return problems;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\n";
    return text;
}

TEST(UdevRule, KeyboardRuleMatchesTheIdsDevbridgeOpens) {
    const bridge::HidConfig config = ShippedConfig();
    const std::string text = ReadFile(kData + "/udev/" + kKeyboardRules);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(Joined(KeyboardRuleProblems(text, config)), "");
}

// Each a fault the check must see, so a rule that grows one fails.
TEST(UdevRule, KeyboardRuleCheckRefusesWhatMustNotShip) {
    const bridge::HidConfig config = ShippedConfig();
    const std::string ids = "ATTRS{idVendor}==\"" + SysfsId(config.vendorId) + "\", ATTRS{idProduct}==\"" +
                            SysfsId(config.productId) + "\"";
    const std::string good = "SUBSYSTEM==\"hidraw\", " + ids + ", TAG+=\"uaccess\"";
    struct Case {
        std::string text;
        std::string problem;
    };
    std::vector<Case> cases = {
        {"# nothing\n", "no rule"},
        {good + ", MODE=\"0666\"", "MODE=\"0666\""},
        {good + ", MODE=\"0664\"", "MODE=\"0664\""},
        {good + ", GROUP=\"plugdev\"", "GROUP"},
        {good + ", RUN+=\"/bin/chmod 666 /dev/%k\"", "RUN runs"},
        {"SUBSYSTEM==\"usb\", " + ids + ", TAG+=\"uaccess\"", "SUBSYSTEM must be"},
        {"SUBSYSTEM==\"hidraw\", " + ids + ", TAG+=\"seat\"", "uaccess"},
        {good + "\nSUBSYSTEM==\"hidraw\", TAG+=\"uaccess\"", "ATTRS{idVendor} must be"},
        {"SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"0x" + SysfsId(config.vendorId) + "\", ATTRS{idProduct}==\"" +
             SysfsId(config.productId) + "\", TAG+=\"uaccess\"",
         "ATTRS{idVendor} must be"},
        {"SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"" + SysfsId(config.vendorId) + "\", ATTRS{idProduct}==\"" +
             SysfsId(config.productId ^ 1) + "\", TAG+=\"uaccess\"",
         "ATTRS{idProduct} must be"},
        {"SUBSYSTEM==\"hidraw\" TAG+=uaccess", "cannot read"},
    };
    char upper[8];
    std::snprintf(upper, sizeof upper, "%04X", config.productId);
    if (upper != SysfsId(config.productId))
        cases.push_back({"SUBSYSTEM==\"hidraw\", ATTRS{idVendor}==\"" + SysfsId(config.vendorId) +
                             "\", ATTRS{idProduct}==\"" + upper + "\", TAG+=\"uaccess\"",
                         "ATTRS{idProduct} must be"});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_NE(Joined(KeyboardRuleProblems(c.text, config)).find(c.problem), std::string::npos)
            << Joined(KeyboardRuleProblems(c.text, config));
    }
    EXPECT_EQ(Joined(KeyboardRuleProblems("# a comment\n\n" + good + "\n", config)), "");
}

TEST(UdevRule, UinputRuleTagsTheStaticNodeOnly) {
    std::vector<std::string> errors;
    const auto rules = ParseUdevRules(ReadFile(kData + "/udev/" + kUinputRules), &errors);
    EXPECT_EQ(Joined(errors), "");
    ASSERT_EQ(rules.size(), 1u);
    const UdevRule& rule = rules.front();
    ASSERT_NE(FindKey(rule, "KERNEL", "=="), nullptr);
    EXPECT_EQ(*FindKey(rule, "KERNEL", "=="), "uinput");
    ASSERT_NE(FindKey(rule, "TAG", "+="), nullptr);
    EXPECT_EQ(*FindKey(rule, "TAG", "+="), "uaccess");
    ASSERT_NE(FindKey(rule, "OPTIONS", "+="), nullptr);
    EXPECT_EQ(*FindKey(rule, "OPTIONS", "+="), "static_node=uinput");
    EXPECT_EQ(Joined(GrantProblems(rule)), "");
}

// 73-seat-late.rules hands uaccess-tagged nodes to the seat's session: a
// tag set by a later file is never acted on.
TEST(UdevRule, RuleFilesComeBeforeTheSeatRules) {
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kData + "/udev")) {
        if (entry.path().extension() != ".rules") continue;
        ++files;
        EXPECT_LT(entry.path().filename().string(), "73-seat-late.rules");
    }
    EXPECT_EQ(files, 2);
}

}  // namespace
}  // namespace kelm::test
