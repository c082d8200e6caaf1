// Every skinned control is placed by a layout string such as
// "Macro Manager,618,285,130,25," : name, x, y, width, height, tooltip.
#pragma once

#include <QRect>
#include <cstddef>
#include <string>
#include <string_view>

class QWidget;

namespace kelm::skin {

constexpr std::size_t kLayoutNameMax = 40;
constexpr std::size_t kLayoutTooltipMax = 404;

struct LayoutRecord {
    std::string name;  // at most kLayoutNameMax bytes
    int left = 0;
    int top = 0;
    int right = 0;        // left + width
    int bottom = 0;       // top + height
    std::string tooltip;  // at most kLayoutTooltipMax bytes, no outer spaces

    QRect Rect() const { return QRect(left, top, right - left, bottom - top); }
};

// Never fails: numbers that cannot be read are 0, and so is every number
// after the first one that cannot be read.
LayoutRecord ParseLayout(std::string_view text);

// Gives a control its layout name, tooltip and rectangle.
void Place(QWidget& control, const LayoutRecord& layout);

}  // namespace kelm::skin
