// A key-assignment page of the main window (Hot Grid, the macro keys or
// Media F): a field per key showing what the key does in the selected
// profile, the keyboard with the page's keys, each field and each of those
// keys opening the key's menu; the Macro Manager button and, on Media F,
// the media player selector. What a choice does is KeyPageController's;
// this is the view.
#pragma once

#include <QPointer>
#include <QRegion>
#include <string>
#include <vector>

#include "setup/KeyPageController.h"
#include "setup/SkinSet.h"
#include "setup/texts/LanguageTexts.h"
#include "skin/PictureButton.h"
#include "skin/SkinMenu.h"
#include "skin/SkinPage.h"
#include "skin/TooltipHub.h"

class QLabel;

namespace kelm {

// A key's field: its look cut from the page's pictures, its label at the
// left where a list is read, clear of the drop-down mark.
class KeySlotField final : public skin::PictureButton {
    Q_OBJECT
public:
    using PictureButton::PictureButton;

    const QString& Label() const { return label_; }
    bool Inactive() const { return inactive_; }
    void SetLabel(const QString& label, bool inactive);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString label_;
    bool inactive_ = false;
};

class CKeyPage : public skin::SkinPage {
    Q_OBJECT
public:
    CKeyPage(KeyPageKind kind, KeyPageController& controller, SetupSession& session, const std::string& programFolder,
             skin::TooltipHub& hub, QWidget* parent);

    KeyPageKind Kind() const { return kind_; }
    // Every field from the selected profile.
    void Refresh();
    void Relabel(const LanguageTexts& texts);

    int SlotCount() const { return static_cast<int>(slots_.size()); }
    const KeySlotField& Field(int slot) const { return *slots_[static_cast<std::size_t>(slot)].field; }
    // The slot's menu at the field's lower-left corner; a click on the key
    // opens it at the key's.
    void OpenSlotMenu(int slot);
    // The menu shown now, or nullptr.
    skin::SkinMenu* OpenMenu() const { return menu_ != nullptr && menu_->isVisible() ? menu_.data() : nullptr; }

signals:
    // A choice on the macro-key page: the main window shows it too.
    void KeysChanged();
    // The macro library or the timer file could not be written.
    void FilesNotSaved();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Slot {
        int keyIndex;
        KeySlotField* field;
        int cap;  // the key on the picture, an index of KeyboardKeys(); -1 none
    };

    KeySlotField* MakeField(std::string_view layout, skin::TooltipHub& hub);
    void OpenMenuAt(int slot, const QRect& anchor);
    void OpenPlayerMenu();
    void Popup(const MenuSpec& spec, KeySlotField* field, int cap, const QRect& anchor);
    void OnCommand(int command);
    void ShowOutcome(const KeyPageOutcome& outcome);
    const skin::StatePictures& InactivePictures();
    int CapAt(const QPoint& pos) const;
    const KeySlotField& FieldOfCap(int cap) const;
    void SetHoverCap(int cap);
    void UpdateCap(int cap);

    KeyPageKind kind_;
    KeyPageController& controller_;
    SetupSession& session_;
    skin::TooltipHub& hub_;
    SkinSet skin_;
    skin::StatePictures inactive_;
    bool inactiveLoaded_ = false;
    std::vector<Slot> slots_;
    std::vector<int> capSlots_;  // by KeyboardKeys() index: the slot the key opens, or -1
    std::vector<std::pair<QLabel*, TextId>> texts_;
    skin::PictureButton* macroManager_ = nullptr;
    KeySlotField* player_ = nullptr;
    QPointer<skin::SkinMenu> menu_;
    KeySlotField* menuField_ = nullptr;
    QRegion menuAnchors_;  // the field and key of the open menu: a click there only closes it
    int menuCap_ = -1;
    int hoverCap_ = -1;
    int pressedCap_ = -1;
};

}  // namespace kelm
