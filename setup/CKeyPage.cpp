#include "setup/CKeyPage.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "keyboard/KeyFunctions.h"
#include "setup/KeyPageLayout.h"
#include "setup/KeyboardPicture.h"
#include "setup/SkinMenuBuilder.h"
#include "skin/SkinColors.h"

namespace kelm {

namespace {

using skin::kBlue;
using skin::kLight;

const QColor kInactiveText(0x5C, 0x66, 0x70);

// The label starts a little in from the field's edge and stops short of
// the drop-down mark the pictures draw at its right.
constexpr int kLabelIndent = 6;
constexpr int kDropDownRoom = 16;
// Below this a label is taken narrower rather than smaller.
constexpr int kReadablePixelSize = 11;

constexpr int kCapsLockKey = 56;
constexpr int kFirstThumbKey = 30;
constexpr int kLastThumbKey = 32;
constexpr int kFirstMediaKey = 48;

enum class TextStyle { Heading, Column, Note, KeyName };

struct PlacedText {
    TextId id;
    QRect where;
    TextStyle style;
};

// The texts beside the fields, per page; the hint under the keyboard is on
// every page.
constexpr PlacedText kHotGridTexts[] = {
    {TextId::kHotGridHeading, {24, 8, 340, 18}, TextStyle::Heading},
    {TextId::kHotGridNote, {24, 30, 340, 30}, TextStyle::Note},
};
constexpr PlacedText kMacroKeyTexts[] = {
    {TextId::kMacroKeysHeading, {24, 8, 340, 18}, TextStyle::Heading},
    {TextId::kStandardLayerHeading, {17, 27, 140, 16}, TextStyle::Column},
    {TextId::kDuoLayerHeading, {226, 27, 140, 16}, TextStyle::Column},
    {TextId::kInactiveSlotNote, {17, 260, 349, 40}, TextStyle::Note},
};
constexpr PlacedText kMediaFTexts[] = {
    {TextId::kMediaFHeading, {24, 8, 340, 18}, TextStyle::Heading},
    {TextId::kMediaPlayerLabel, {17, 257, 169, 16}, TextStyle::Column},
};
constexpr PlacedText kHint{TextId::kKeyPageHint, {378, 244, 388, 30}, TextStyle::Note};

std::span<const PlacedText> PageTexts(KeyPageKind kind) {
    switch (kind) {
        case KeyPageKind::HotGrid:
            return kHotGridTexts;
        case KeyPageKind::MacroKeys:
            return kMacroKeyTexts;
        case KeyPageKind::MediaF:
            break;
    }
    return kMediaFTexts;
}

QString SkinName(KeyPageKind kind) {
    switch (kind) {
        case KeyPageKind::HotGrid:
            return QStringLiteral("HotGrid");
        case KeyPageKind::MacroKeys:
            return QStringLiteral("MacroKeys");
        case KeyPageKind::MediaF:
            break;
    }
    return QStringLiteral("MediaF");
}

TextId SlotTip(KeyPageKind kind, int keyIndex) {
    if (kind == KeyPageKind::HotGrid) return TextId::kHotGridSlotTip;
    if (kind == KeyPageKind::MediaF)
        return keyIndex >= kFirstMediaKey ? TextId::kMultimediaKeySlotTip : TextId::kFKeySlotTip;
    if (kKeyIndexTable[static_cast<std::size_t>(keyIndex)].layer == KeyLayer::DuoLayer) return TextId::kDuoLayerSlotTip;
    if (keyIndex == kCapsLockKey) return TextId::kCapsLockSlotTip;
    if (keyIndex >= kFirstThumbKey && keyIndex <= kLastThumbKey) return TextId::kThumbKeySlotTip;
    return TextId::kMacroKeySlotTip;
}

// Coloured through the palette: a style sheet per label would cost the
// window's first paint a style of its own for each of them.
QLabel* Text(const QRect& where, TextStyle style, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setGeometry(where);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    QColor colour(0xAE, 0xB8, 0xC2);
    QFont font = label->font();
    switch (style) {
        case TextStyle::Heading:
            colour = kLight;
            font.setBold(true);
            break;
        case TextStyle::Column:
            colour = kBlue;
            break;
        case TextStyle::Note:
            colour = QColor(0x7F, 0x8A, 0x96);
            font.setPixelSize(11);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            break;
        case TextStyle::KeyName:
            break;
    }
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->setFont(font);
    return label;
}

// The key's name: left of its field, or on the macro-key page between a
// standard key's field and its twin's, which share the row.
void NameKey(KeyPageKind kind, int keyIndex, const QRect& field, QWidget* parent) {
    const KeyIndexRow& row = kKeyIndexTable[static_cast<std::size_t>(keyIndex)];
    QRect where(field.left() - 40, field.top(), 36, field.height());
    Qt::Alignment alignment = Qt::AlignRight | Qt::AlignVCenter;
    if (kind == KeyPageKind::MacroKeys) {
        if (row.layer == KeyLayer::DuoLayer) return;
        where = QRect(field.right() + 1, field.top(), 226 - field.right() - 1, field.height());
        alignment = Qt::AlignCenter;
    }
    QLabel* name = Text(where, TextStyle::KeyName, parent);
    name->setAlignment(alignment);
    name->setText(QString::fromLatin1(row.slotName));
}

QRect CapRect(int cap) {
    const KeyCap& key = KeyboardKeys()[static_cast<std::size_t>(cap)];
    return QRect(key.x, key.y, key.width, key.height);
}

// The key a slot stands for on the picture: its own, or for a DuoLayer
// slot its twin's physical key.
int CapOf(int keyIndex) {
    const KeyIndexRow& row = kKeyIndexTable[static_cast<std::size_t>(keyIndex)];
    const auto keys = KeyboardKeys();
    for (const char* name :
         {row.slotName, row.twin >= 0 ? kKeyIndexTable[static_cast<std::size_t>(row.twin)].slotName : row.slotName}) {
        const auto found =
            std::find_if(keys.begin(), keys.end(), [name](const KeyCap& key) { return key.name == name; });
        if (found != keys.end()) return static_cast<int>(found - keys.begin());
    }
    return -1;
}

// The longest labels ("DuoLayer[+] Vask[+] Lock", a long macro name) would
// shrink to the smallest size or be cut; the narrow cut of the face keeps
// them whole at a larger size, so it is taken where it does better.
skin::FittedCaption FitLabel(const QFont& font, const QString& label, int width) {
    skin::FittedCaption fitted = skin::FitCaption(font, label, width);
    if (fitted.font.pixelSize() >= kReadablePixelSize && fitted.text == label) return fitted;
    QFont narrow = font;
    narrow.setStretch(QFont::Condensed);
    skin::FittedCaption condensed = skin::FitCaption(narrow, label, width);
    const bool whole = condensed.text == label;
    if ((whole && fitted.text != label) || (whole && condensed.font.pixelSize() > fitted.font.pixelSize()))
        return condensed;
    return fitted;
}

}  // namespace

void KeySlotField::SetLabel(const QString& label, bool inactive) {
    if (label == label_ && inactive == inactive_) return;
    label_ = label;
    inactive_ = inactive;
    setAccessibleName(label);
    update();
}

void KeySlotField::paintEvent(QPaintEvent* event) {
    PictureButton::paintEvent(event);
    QPainter painter(this);
    painter.setPen(inactive_ || !isEnabled() ? kInactiveText : QColor(Qt::white));
    const QRect area = rect().adjusted(kLabelIndent, 0, -kDropDownRoom, 0);
    const skin::FittedCaption caption = FitLabel(font(), label_, area.width());
    painter.setFont(caption.font);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption.text);
}

CKeyPage::CKeyPage(KeyPageKind kind, KeyPageController& controller, SetupSession& session,
                   const std::string& programFolder, skin::TooltipHub& hub, QWidget* parent)
    : skin::SkinPage(parent),
      kind_(kind),
      controller_(controller),
      session_(session),
      hub_(hub),
      skin_(programFolder, SkinName(kind), devicePixelRatioF()),
      capSlots_(KeyboardKeys().size(), -1) {
    SetBackground(skin_.Background());
    setMouseTracking(true);

    const auto layouts = KeyPageSlotLayouts(kind);
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        const int slot = static_cast<int>(i);
        const int keyIndex = SlotKeyIndex(kind, slot);
        KeySlotField* field = MakeField(layouts[i], hub);
        connect(field, &QAbstractButton::clicked, this, [this, slot] { OpenSlotMenu(slot); });
        field->installEventFilter(this);
        NameKey(kind, keyIndex, field->geometry(), this);
        const int cap = CapOf(keyIndex);
        // A key on the picture opens the field of its own name, the
        // standard layer's where a key has two.
        if (cap >= 0 && KeyboardKeys()[static_cast<std::size_t>(cap)].name == field->objectName().toStdString())
            capSlots_[static_cast<std::size_t>(cap)] = slot;
        slots_.push_back({keyIndex, field, cap});
    }
    for (const PlacedText& text : PageTexts(kind)) texts_.emplace_back(Text(text.where, text.style, this), text.id);
    texts_.emplace_back(Text(kHint.where, kHint.style, this), kHint.id);
    texts_.back().first->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    macroManager_ = skin_.Button(kMacroManagerLayout, this, &hub);
    connect(macroManager_, &QAbstractButton::clicked, this, [this] { ShowOutcome(controller_.OnMacroManager()); });
    if (kind == KeyPageKind::MediaF) {
        player_ = MakeField(kSelectPlayerLayout, hub);
        connect(player_, &QAbstractButton::clicked, this, &CKeyPage::OpenPlayerMenu);
    }
}

KeySlotField* CKeyPage::MakeField(std::string_view layout, skin::TooltipHub& hub) {
    auto* field = new KeySlotField(skin::ParseLayout(layout), this);
    field->SetPictures(skin_.Pictures());
    // Shown pressed while its menu is open.
    field->setCheckable(true);
    hub.Watch(field);
    return field;
}

// Read when a field first needs it: most profiles never switch a key off.
const skin::StatePictures& CKeyPage::InactivePictures() {
    if (!inactiveLoaded_) {
        const QPixmap off = skin::LoadPicture(skin_.Background() + QStringLiteral("-disabled"), devicePixelRatioF());
        for (const auto state : {skin::ControlState::Normal, skin::ControlState::Highlighted,
                                 skin::ControlState::Pressed, skin::ControlState::Disabled})
            inactive_.Set(state, off);
        inactiveLoaded_ = true;
    }
    return inactive_;
}

void CKeyPage::Refresh() {
    const int profile = session_.CurrentSlot();
    setEnabled(IsValidSlot(profile));
    if (!IsValidSlot(profile)) return;
    const ProfileRecord& record = session_.Working().Profiles[profile];
    for (const Slot& slot : slots_) {
        const MacroKeyInfo& entry = record.Keys[slot.keyIndex];
        const bool inactive = entry.FunctionCode == kFnDisabledByPair;
        if (inactive != slot.field->Inactive())
            slot.field->SetPictures(inactive ? InactivePictures() : skin_.Pictures());
        slot.field->SetLabel(Utf8(FunctionLabel(entry)), inactive);
    }
    if (player_ != nullptr) player_->SetLabel(Utf8(controller_.PlayerName()), false);
}

void CKeyPage::Relabel(const LanguageTexts& texts) {
    for (const auto& [label, id] : texts_) label->setText(Utf8(texts.Text(id)));
    for (const Slot& slot : slots_) slot.field->setToolTip(Utf8(texts.Text(SlotTip(kind_, slot.keyIndex))));
    macroManager_->setText(Utf8(texts.Text(TextId::kMacroManagerButton)));
    macroManager_->setToolTip(Utf8(texts.Text(TextId::kMacroManagerTip)));
    if (player_ != nullptr) player_->setToolTip(Utf8(texts.Text(TextId::kMediaPlayerTip)));
    Refresh();
}

void CKeyPage::OpenSlotMenu(int slot) {
    if (slot < 0 || slot >= SlotCount()) return;
    OpenMenuAt(slot, slots_[static_cast<std::size_t>(slot)].field->geometry());
}

void CKeyPage::OpenMenuAt(int slot, const QRect& anchor) {
    const Slot& opened = slots_[static_cast<std::size_t>(slot)];
    Popup(controller_.OpenSlotMenu(kind_, opened.keyIndex), opened.field, opened.cap, anchor);
}

void CKeyPage::OpenPlayerMenu() {
    MenuSpec spec = controller_.OpenPlayerMenu();
    // As wide as the field it drops from.
    spec.width = player_->width();
    Popup(spec, player_, -1, player_->geometry());
}

void CKeyPage::Popup(const MenuSpec& spec, KeySlotField* field, int cap, const QRect& anchor) {
    if (menu_ != nullptr) menu_->close();
    if (spec.items.empty()) {
        field->setChecked(false);
        return;
    }
    skin::SkinMenu* menu = MakeSkinMenu(spec, this);
    menu_ = menu;
    menuField_ = field;
    menuCap_ = cap;
    menuAnchors_ = QRegion(field->geometry());
    if (cap >= 0) menuAnchors_ += CapRect(cap);
    field->setChecked(true);
    UpdateCap(cap);
    menu->installEventFilter(this);
    for (QMenu* submenu : menu->findChildren<QMenu*>()) submenu->installEventFilter(this);
    // Acted on once the menu's own handling of the click is over: the
    // command may open a dialog with its own event loop.
    connect(menu, &skin::SkinMenu::CommandChosen, this, &CKeyPage::OnCommand, Qt::QueuedConnection);
    connect(menu, &QMenu::aboutToHide, this, [this, menu] {
        menu->deleteLater();
        menuField_->setChecked(false);
        UpdateCap(std::exchange(menuCap_, -1));
    });
    menu->Popup(mapToGlobal(QPoint(anchor.left(), anchor.top() + anchor.height())));
}

void CKeyPage::OnCommand(int command) { ShowOutcome(controller_.OnMenuCommand(command)); }

void CKeyPage::ShowOutcome(const KeyPageOutcome& outcome) {
    if (outcome.filesNotSaved) emit FilesNotSaved();
    if (!outcome.stored) return;
    Refresh();
    if (kind_ == KeyPageKind::MacroKeys) emit KeysChanged();
}

int CKeyPage::CapAt(const QPoint& pos) const {
    for (std::size_t cap = 0; cap < capSlots_.size(); ++cap)
        if (capSlots_[cap] >= 0 && CapRect(static_cast<int>(cap)).contains(pos)) return static_cast<int>(cap);
    return -1;
}

void CKeyPage::UpdateCap(int cap) {
    if (cap >= 0) update(CapRect(cap).adjusted(-3, -3, 3, 3));
}

void CKeyPage::SetHoverCap(int cap) {
    if (cap == hoverCap_) return;
    UpdateCap(std::exchange(hoverCap_, cap));
    UpdateCap(cap);
}

// A lit key: solid blue with a glow, its name written anew on top in white
// (as the picture writes it, a size smaller where it would not fit).
void CKeyPage::paintEvent(QPaintEvent* event) {
    SkinPage::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const int cap : {menuCap_, hoverCap_}) {
        if (cap < 0) continue;
        const QRectF rect = QRectF(CapRect(cap)).adjusted(0.5, 0.5, -0.5, -0.5);
        QColor glow = kBlue;
        glow.setAlphaF(0.4f);
        painter.setPen(QPen(glow, 3));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(rect.adjusted(-1.5, -1.5, 1.5, 1.5), 4, 4);
        painter.setPen(QPen(kLight, 1));
        painter.setBrush(kBlue);
        painter.drawRoundedRect(rect, 3, 3);
        const std::string_view name = KeyboardKeys()[static_cast<std::size_t>(cap)].name;
        const QString legend = QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(8);
        while (QFontMetricsF(font).horizontalAdvance(legend) > rect.width() - 2 && font.pixelSize() > 5)
            font.setPixelSize(font.pixelSize() - 1);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(rect, Qt::AlignCenter, legend);
    }
}

const KeySlotField& CKeyPage::FieldOfCap(int cap) const { return Field(capSlots_[static_cast<std::size_t>(cap)]); }

// A key that opens a field is a control of its own: it shows the field's
// tooltip and the hand.
void CKeyPage::mouseMoveEvent(QMouseEvent* event) {
    const int cap = CapAt(event->position().toPoint());
    if (cap != hoverCap_) {
        setCursor(cap >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
        if (cap >= 0) hub_.Offer(FieldOfCap(cap).toolTip());
    }
    SetHoverCap(cap);
    SkinPage::mouseMoveEvent(event);
}

void CKeyPage::mousePressEvent(QMouseEvent* event) {
    pressedCap_ = event->button() == Qt::LeftButton ? CapAt(event->position().toPoint()) : -1;
    SkinPage::mousePressEvent(event);
}

// A key opens its menu as a button does: released where it was pressed.
void CKeyPage::mouseReleaseEvent(QMouseEvent* event) {
    const int cap = CapAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && cap >= 0 && cap == std::exchange(pressedCap_, -1))
        OpenMenuAt(capSlots_[static_cast<std::size_t>(cap)], CapRect(cap));
    SkinPage::mouseReleaseEvent(event);
}

void CKeyPage::leaveEvent(QEvent* event) {
    SetHoverCap(-1);
    SkinPage::leaveEvent(event);
}

bool CKeyPage::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const int cap = CapAt(help->pos());
        if (cap >= 0) {
            QToolTip::showText(help->globalPos(), FieldOfCap(cap).toolTip(), this, CapRect(cap));
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return SkinPage::event(event);
}

bool CKeyPage::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            // A click outside an open menu closes it; where the platform then
            // passes the click on to what lies under it (Windows, Wayland; X11
            // never does), a click on another key opens that key's menu, but a
            // second click on the menu's own field or key only closes it.
            if (auto* menu = qobject_cast<QMenu*>(watched); menu != nullptr && menu_ != nullptr) {
                const QPoint at = mapFromGlobal(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
                const bool own = menuAnchors_.contains(at);
                menu_->setAttribute(Qt::WA_NoMouseReplay, own);
                for (QMenu* submenu : menu_->findChildren<QMenu*>()) submenu->setAttribute(Qt::WA_NoMouseReplay, own);
            }
            break;
        case QEvent::Enter:
        case QEvent::Leave:
            for (const Slot& slot : slots_)
                if (slot.field == watched) SetHoverCap(event->type() == QEvent::Enter ? slot.cap : -1);
            break;
        default:
            break;
    }
    return SkinPage::eventFilter(watched, event);
}

}  // namespace kelm
