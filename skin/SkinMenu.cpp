#include "skin/SkinMenu.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>
#include <algorithm>

#include "skin/SkinColors.h"

namespace kelm::skin {

namespace {

const char* const kTradeMarkProperty = "kelmTradeMark";
const QColor kCheckedText(0x44, 0xBF, 0xFF);
constexpr int kTextIndent = 6;
constexpr int kArrowSize = 4;

void DrawFrame(QPainter& painter, const QRect& rect) {
    painter.setBrush(Qt::NoBrush);
    const QColor colours[kMenuFrameWidth] = {kBlue, Qt::black, Qt::black};
    for (int i = 0; i < kMenuFrameWidth; ++i) {
        painter.setPen(colours[i]);
        painter.drawRect(rect.adjusted(i, i, -i - 1, -i - 1));
    }
}

void DrawArrow(QPainter& painter, const QRect& item, const QColor& colour) {
    const int x = item.right() - kTextIndent - kArrowSize;
    const int y = item.center().y();
    QPainterPath arrow;
    arrow.moveTo(x, y - kArrowSize);
    arrow.lineTo(x + kArrowSize, y);
    arrow.lineTo(x, y + kArrowSize);
    arrow.closeSubpath();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(arrow, colour);
}

void DrawItem(QPainter& painter, const QStyleOptionMenuItem& item, const QMenu* menu) {
    if (item.menuItemType == QStyleOptionMenuItem::Separator) {
        painter.fillRect(item.rect, Qt::black);
        painter.setPen(kBlue);
        const int y = item.rect.center().y();
        painter.drawLine(item.rect.left(), y, item.rect.right(), y);
        return;
    }
    const bool selected = (item.state & QStyle::State_Selected) && (item.state & QStyle::State_Enabled);
    painter.fillRect(item.rect, selected ? kBlue : QColor(Qt::black));

    // The checked colour is all but the selected background's blue: a checked
    // entry under the mouse is written in white like the others.
    QColor text = item.checked && !selected ? kCheckedText : QColor(Qt::white);
    if (!(item.state & QStyle::State_Enabled)) text = Qt::gray;
    painter.setPen(text);
    painter.setFont(item.font);
    const QRect textArea = item.rect.adjusted(kTextIndent, 0, -kTextIndent, 0);
    QRect drawn;
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, item.text, &drawn);

    // The style sees only the option, so the trade-mark flag is read from
    // the entry under the option's rectangle.
    if (SkinMenu::TradeMarked(menu ? menu->actionAt(item.rect.center()) : nullptr)) {
        painter.setFont(TradeMarkFont());
        painter.drawText(QRect(drawn.right() + 1, drawn.top(), textArea.right() - drawn.right(), drawn.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, QStringLiteral("TM"));
    }
    if (item.menuItemType == QStyleOptionMenuItem::SubMenu) DrawArrow(painter, item.rect, text);
}

// One style for every skinned menu: the sizes and colours are fixed, and
// the width comes from the menu it draws.
class MenuStyle final : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        switch (metric) {
            case PM_MenuPanelWidth:
                return kMenuFrameWidth;
            case PM_MenuHMargin:
            case PM_MenuVMargin:
            case PM_MenuDesktopFrameWidth:
                return 0;
            default:
                return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }

    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override {
        const auto* menu = qobject_cast<const SkinMenu*>(widget);
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (type != CT_MenuItem || menu == nullptr || item == nullptr) {
            return QProxyStyle::sizeFromContents(type, option, size, widget);
        }
        const bool separator = item->menuItemType == QStyleOptionMenuItem::Separator;
        return QSize(menu->ItemWidth(), separator ? kMenuSeparatorHeight : kMenuItemHeight);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
        if (element == CE_MenuItem && item != nullptr) {
            // The menu paints every item and then the frame with one painter.
            painter->save();
            DrawItem(*painter, *item, qobject_cast<const QMenu*>(widget));
            painter->restore();
        } else if (element == CE_MenuEmptyArea) {
            painter->fillRect(option->rect, Qt::black);
        } else {
            QProxyStyle::drawControl(element, option, painter, widget);
        }
    }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget) const override {
        if (element == PE_PanelMenu) {
            painter->fillRect(option->rect, Qt::black);
        } else if (element == PE_FrameMenu) {
            DrawFrame(*painter, option->rect);
        } else {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
        }
    }
};

// Owned by the application, so it goes before the fonts and pixmaps it
// uses; made again should a later application need it.
QStyle* SharedMenuStyle() {
    static QPointer<QStyle> style;
    if (style.isNull()) {
        style = new MenuStyle;
        style->setParent(qApp);
    }
    return style;
}

}  // namespace

SkinMenu::SkinMenu(const QFont& font, QWidget* parent) : QMenu(parent) {
    setFont(font);
    setStyle(SharedMenuStyle());
    connect(this, &QMenu::triggered, this, [this](QAction* action) { emit CommandChosen(CommandOf(action)); });
}

QAction* SkinMenu::AppendItem(int commandId, const QString& text, bool checked, bool tradeMark) {
    QAction* action = addAction(text);
    action->setData(commandId);
    action->setCheckable(checked);
    action->setChecked(checked);
    action->setProperty(kTradeMarkProperty, tradeMark);
    return action;
}

QAction* SkinMenu::AppendPopup(SkinMenu* popup, const QString& text) {
    popup->setTitle(text);
    return addMenu(popup);
}

void SkinMenu::AppendSeparator() { addSeparator(); }

int SkinMenu::ItemWidth() const {
    if (width_ > 0) return width_;
    qsizetype longest = 0;
    for (const QAction* action : actions()) longest = std::max(longest, action->text().size());
    return static_cast<int>(longest) * kMenuPixelsPerCharacter;
}

int SkinMenu::Track(const QPoint& screenPoint) { return CommandOf(exec(screenPoint)); }

void SkinMenu::Popup(const QPoint& screenPoint) { popup(screenPoint); }

int SkinMenu::CommandOf(const QAction* action) { return action ? action->data().toInt() : 0; }

bool SkinMenu::TradeMarked(const QAction* action) {
    return action != nullptr && action->property(kTradeMarkProperty).toBool();
}

}  // namespace kelm::skin
