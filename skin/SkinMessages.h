// The message numbers of the skinned controls, kept as the meaning of the
// signals that stand in for them, so that pages built on the kit can be
// read beside the original design: each signal's comment names its number.
#pragma once

namespace kelm::skin {

constexpr int kUserMessage = 0x0400;

constexpr int MSG_SLIDER_VALUE = kUserMessage + 70;        // 1094: wParam value, lParam control id
constexpr int MSG_EDIT_CHANGED = kUserMessage + 92;        // 1116: picture edit text changed
constexpr int MSG_SLOT_HOVER = kUserMessage + 100;         // 1124: the mouse is over a key slot
constexpr int MSG_TOOLTIP_CHANGED = kUserMessage + 101;    // 1125: wParam 1, the tooltip text was replaced
constexpr int MSG_LIST_NEW_ROW_DONE = kUserMessage + 500;  // 1524: wParam row, a new row was named
constexpr int MSG_LIST_ROW_DONE = kUserMessage + 502;      // 1526: wParam row, an existing row was edited

static_assert(MSG_SLIDER_VALUE == 1094 && MSG_EDIT_CHANGED == 1116 && MSG_SLOT_HOVER == 1124 &&
              MSG_TOOLTIP_CHANGED == 1125 && MSG_LIST_NEW_ROW_DONE == 1524 && MSG_LIST_ROW_DONE == 1526);

// Registered by name on the original platform, so their numbers vary.
constexpr const char* kBitmapEditKillFocus = "BitmapEdit_KillFocus";
constexpr const char* kBitmapEditChange = "BitmapEdit_Change";

}  // namespace kelm::skin
