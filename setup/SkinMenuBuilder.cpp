#include "setup/SkinMenuBuilder.h"

#include <QFontMetrics>
#include <algorithm>

#include "setup/SkinSet.h"

namespace kelm {

namespace {

// The text's indent on both sides (and a little air), and the room of a
// submenu's arrow, as the skin draws them.
constexpr int kTextMargins = 2 * 6 + 4;
constexpr int kArrowRoom = 4 + 6;

void Fill(skin::SkinMenu& menu, const MenuSpec& spec) {
    const QFontMetrics metrics(menu.font());
    int widest = 0;
    for (const MenuSpec& item : spec.items) {
        const QString text = Utf8(item.text);
        switch (item.kind) {
            case MenuSpec::Kind::Separator:
                menu.AppendSeparator();
                continue;
            case MenuSpec::Kind::Command:
                menu.AppendItem(item.command, text, item.checked);
                widest = std::max(widest, metrics.horizontalAdvance(text) + kTextMargins);
                break;
            case MenuSpec::Kind::Submenu: {
                auto* submenu = new skin::SkinMenu(menu.font(), &menu);
                Fill(*submenu, item);
                QAction* action = menu.AppendPopup(submenu, text);
                // A set holding the key's macro shows in the checked colour.
                action->setCheckable(item.checked);
                action->setChecked(item.checked);
                widest = std::max(widest, metrics.horizontalAdvance(text) + kTextMargins + kArrowRoom);
                break;
            }
        }
    }
    menu.SetWidth(std::max(spec.width, widest));
}

}  // namespace

skin::SkinMenu* MakeSkinMenu(const MenuSpec& spec, QWidget* parent) {
    auto* menu = new skin::SkinMenu(skin::MenuFont(), parent);
    Fill(*menu, spec);
    return menu;
}

}  // namespace kelm
