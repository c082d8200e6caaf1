#include "skin/Layout.h"

#include <QWidget>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <limits>

namespace kelm::skin {

namespace {

constexpr std::size_t kNumberCount = 4;
// The tooltip is the sixth field: with fewer commas the text after the last
// one is still a number (a string without its trailing comma) and not a tooltip.
constexpr std::size_t kCommasBeforeTooltip = kNumberCount + 1;

std::string_view TrimSpaces(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

// Reads "%d,%d,%d,%d" the forgiving way: leading spaces and a sign are
// accepted, reading stops at the first field that is not a number, and a
// value beyond int is treated as unreadable rather than wrapped.
std::array<int, kNumberCount> ReadNumbers(std::string_view text) {
    std::array<int, kNumberCount> numbers{};
    for (std::size_t i = 0; i < kNumberCount; ++i) {
        if (i > 0) {
            if (text.empty() || text.front() != ',') break;
            text.remove_prefix(1);
        }
        text.remove_prefix(std::min(text.find_first_not_of(" \t"), text.size()));
        if (!text.empty() && text.front() == '+') text.remove_prefix(1);
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (error != std::errc()) break;
        numbers[i] = value;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    }
    return numbers;
}

int SaturatedSum(int a, int b) {
    const std::int64_t sum = std::int64_t{a} + b;
    return static_cast<int>(
        std::clamp<std::int64_t>(sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

LayoutRecord ParseLayout(std::string_view text) {
    LayoutRecord record;
    const std::size_t firstComma = text.find(',');
    record.name = std::string(text.substr(0, std::min(firstComma, kLayoutNameMax)));
    if (firstComma == std::string_view::npos) return record;

    const auto [x, y, width, height] = ReadNumbers(text.substr(firstComma + 1));
    record.left = x;
    record.top = y;
    record.right = SaturatedSum(x, width);
    record.bottom = SaturatedSum(y, height);

    if (static_cast<std::size_t>(std::count(text.begin(), text.end(), ',')) >= kCommasBeforeTooltip) {
        const std::string_view tooltip = TrimSpaces(text.substr(text.rfind(',') + 1));
        record.tooltip = std::string(tooltip.substr(0, kLayoutTooltipMax));
    }
    return record;
}

void Place(QWidget& control, const LayoutRecord& layout) {
    control.setObjectName(QString::fromStdString(layout.name));
    control.setToolTip(QString::fromStdString(layout.tooltip));
    control.setGeometry(layout.Rect());
}

}  // namespace kelm::skin
