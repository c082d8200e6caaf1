#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "skin/Layout.h"

namespace kelm::skin {
namespace {

TEST(ParseLayoutTest, ReadsNameRectangleAndTooltip) {
    struct Case {
        std::string text;
        std::string name;
        int left, top, right, bottom;
        std::string tooltip;
    };
    const Case cases[] = {
        {"EDIT_SPIN,115,193,45,19,", "EDIT_SPIN", 115, 193, 160, 212, ""},
        {"Macro Manager,618,285,130,25,", "Macro Manager", 618, 285, 748, 310, ""},
        {"OK,1,2,3,4,  Apply the changes  ", "OK", 1, 2, 4, 6, "Apply the changes"},
        {"Tip,1,2,3,4,first, last", "Tip", 1, 2, 4, 6, "last"},
        {"Neg, -5,-6,10,10,", "Neg", -5, -6, 5, 4, ""},
        // Without the trailing comma the height is not a tooltip.
        {"OK,1,2,3,4", "OK", 1, 2, 4, 6, ""},
        // Reading stops at the first field that is not a number.
        {"Bad,abc,2,3,4,", "Bad", 0, 0, 0, 0, ""},
        {"Half,10,20,x,4,", "Half", 10, 20, 10, 20, ""},
        {"Short,7", "Short", 7, 0, 7, 0, ""},
        {"Huge,99999999999,1,1,1,", "Huge", 0, 0, 0, 0, ""},
        {"Edge,2147483647,0,10,0,", "Edge", INT_MAX, 0, INT_MAX, 0, ""},
        {"NoComma", "NoComma", 0, 0, 0, 0, ""},
        {"", "", 0, 0, 0, 0, ""},
        {",,,,,", "", 0, 0, 0, 0, ""},
    };
    for (const Case& c : cases) {
        const LayoutRecord record = ParseLayout(c.text);
        EXPECT_EQ(record.name, c.name) << c.text;
        EXPECT_EQ(record.left, c.left) << c.text;
        EXPECT_EQ(record.top, c.top) << c.text;
        EXPECT_EQ(record.right, c.right) << c.text;
        EXPECT_EQ(record.bottom, c.bottom) << c.text;
        EXPECT_EQ(record.tooltip, c.tooltip) << c.text;
    }
    EXPECT_EQ(ParseLayout("EDIT_SPIN,115,193,45,19,").Rect(), QRect(115, 193, 45, 19));
}

TEST(ParseLayoutTest, LongFieldsAreCutAtTheirLimits) {
    const std::string name(100, 'n');
    const std::string tooltip(1000, 't');
    const LayoutRecord record = ParseLayout(name + ",1,2,3,4," + tooltip);
    EXPECT_EQ(record.name, std::string(kLayoutNameMax, 'n'));
    EXPECT_EQ(record.tooltip, std::string(kLayoutTooltipMax, 't'));
    EXPECT_EQ(record.right, 4);
}

}  // namespace
}  // namespace kelm::skin
