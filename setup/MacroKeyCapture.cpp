#include "setup/MacroKeyCapture.h"

#include <linux/input-event-codes.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <array>
#include <chrono>
#include <span>
#include <utility>

namespace kelm {

namespace {

constexpr unsigned kKeycodeOffset = 8;

struct QtKeyRow {
    int key;
    std::uint16_t inputCode;
};

// Keys by their US-layout place; shifted characters lead to their key.
constexpr auto kQtKeys = std::to_array<QtKeyRow>({
    {Qt::Key_A, KEY_A},
    {Qt::Key_B, KEY_B},
    {Qt::Key_C, KEY_C},
    {Qt::Key_D, KEY_D},
    {Qt::Key_E, KEY_E},
    {Qt::Key_F, KEY_F},
    {Qt::Key_G, KEY_G},
    {Qt::Key_H, KEY_H},
    {Qt::Key_I, KEY_I},
    {Qt::Key_J, KEY_J},
    {Qt::Key_K, KEY_K},
    {Qt::Key_L, KEY_L},
    {Qt::Key_M, KEY_M},
    {Qt::Key_N, KEY_N},
    {Qt::Key_O, KEY_O},
    {Qt::Key_P, KEY_P},
    {Qt::Key_Q, KEY_Q},
    {Qt::Key_R, KEY_R},
    {Qt::Key_S, KEY_S},
    {Qt::Key_T, KEY_T},
    {Qt::Key_U, KEY_U},
    {Qt::Key_V, KEY_V},
    {Qt::Key_W, KEY_W},
    {Qt::Key_X, KEY_X},
    {Qt::Key_Y, KEY_Y},
    {Qt::Key_Z, KEY_Z},
    {Qt::Key_1, KEY_1},
    {Qt::Key_Exclam, KEY_1},
    {Qt::Key_2, KEY_2},
    {Qt::Key_At, KEY_2},
    {Qt::Key_3, KEY_3},
    {Qt::Key_NumberSign, KEY_3},
    {Qt::Key_4, KEY_4},
    {Qt::Key_Dollar, KEY_4},
    {Qt::Key_5, KEY_5},
    {Qt::Key_Percent, KEY_5},
    {Qt::Key_6, KEY_6},
    {Qt::Key_AsciiCircum, KEY_6},
    {Qt::Key_7, KEY_7},
    {Qt::Key_Ampersand, KEY_7},
    {Qt::Key_8, KEY_8},
    {Qt::Key_Asterisk, KEY_8},
    {Qt::Key_9, KEY_9},
    {Qt::Key_ParenLeft, KEY_9},
    {Qt::Key_0, KEY_0},
    {Qt::Key_ParenRight, KEY_0},
    {Qt::Key_Return, KEY_ENTER},
    {Qt::Key_Enter, KEY_KPENTER},
    {Qt::Key_Escape, KEY_ESC},
    {Qt::Key_Backspace, KEY_BACKSPACE},
    {Qt::Key_Tab, KEY_TAB},
    {Qt::Key_Backtab, KEY_TAB},
    {Qt::Key_Space, KEY_SPACE},
    {Qt::Key_Minus, KEY_MINUS},
    {Qt::Key_Underscore, KEY_MINUS},
    {Qt::Key_Equal, KEY_EQUAL},
    {Qt::Key_Plus, KEY_EQUAL},
    {Qt::Key_BracketLeft, KEY_LEFTBRACE},
    {Qt::Key_BraceLeft, KEY_LEFTBRACE},
    {Qt::Key_BracketRight, KEY_RIGHTBRACE},
    {Qt::Key_BraceRight, KEY_RIGHTBRACE},
    {Qt::Key_Backslash, KEY_BACKSLASH},
    {Qt::Key_Bar, KEY_BACKSLASH},
    {Qt::Key_Semicolon, KEY_SEMICOLON},
    {Qt::Key_Colon, KEY_SEMICOLON},
    {Qt::Key_Apostrophe, KEY_APOSTROPHE},
    {Qt::Key_QuoteDbl, KEY_APOSTROPHE},
    {Qt::Key_QuoteLeft, KEY_GRAVE},
    {Qt::Key_AsciiTilde, KEY_GRAVE},
    {Qt::Key_Comma, KEY_COMMA},
    {Qt::Key_Less, KEY_COMMA},
    {Qt::Key_Period, KEY_DOT},
    {Qt::Key_Greater, KEY_DOT},
    {Qt::Key_Slash, KEY_SLASH},
    {Qt::Key_Question, KEY_SLASH},
    {Qt::Key_CapsLock, KEY_CAPSLOCK},
    {Qt::Key_F1, KEY_F1},
    {Qt::Key_F2, KEY_F2},
    {Qt::Key_F3, KEY_F3},
    {Qt::Key_F4, KEY_F4},
    {Qt::Key_F5, KEY_F5},
    {Qt::Key_F6, KEY_F6},
    {Qt::Key_F7, KEY_F7},
    {Qt::Key_F8, KEY_F8},
    {Qt::Key_F9, KEY_F9},
    {Qt::Key_F10, KEY_F10},
    {Qt::Key_F11, KEY_F11},
    {Qt::Key_F12, KEY_F12},
    {Qt::Key_Print, KEY_SYSRQ},
    {Qt::Key_ScrollLock, KEY_SCROLLLOCK},
    {Qt::Key_Pause, KEY_PAUSE},
    {Qt::Key_Insert, KEY_INSERT},
    {Qt::Key_Home, KEY_HOME},
    {Qt::Key_PageUp, KEY_PAGEUP},
    {Qt::Key_Delete, KEY_DELETE},
    {Qt::Key_End, KEY_END},
    {Qt::Key_PageDown, KEY_PAGEDOWN},
    {Qt::Key_Right, KEY_RIGHT},
    {Qt::Key_Left, KEY_LEFT},
    {Qt::Key_Down, KEY_DOWN},
    {Qt::Key_Up, KEY_UP},
    {Qt::Key_NumLock, KEY_NUMLOCK},
    {Qt::Key_Menu, KEY_COMPOSE},
    {Qt::Key_Shift, KEY_LEFTSHIFT},
    {Qt::Key_Control, KEY_LEFTCTRL},
    {Qt::Key_Alt, KEY_LEFTALT},
    {Qt::Key_AltGr, KEY_RIGHTALT},
    {Qt::Key_Meta, KEY_LEFTMETA},
    {Qt::Key_Super_L, KEY_LEFTMETA},
    {Qt::Key_Super_R, KEY_RIGHTMETA},
});

// The same keys on the keypad, where Qt flags them so.
constexpr auto kQtKeypadKeys = std::to_array<QtKeyRow>({
    {Qt::Key_0, KEY_KP0},
    {Qt::Key_1, KEY_KP1},
    {Qt::Key_2, KEY_KP2},
    {Qt::Key_3, KEY_KP3},
    {Qt::Key_4, KEY_KP4},
    {Qt::Key_5, KEY_KP5},
    {Qt::Key_6, KEY_KP6},
    {Qt::Key_7, KEY_KP7},
    {Qt::Key_8, KEY_KP8},
    {Qt::Key_9, KEY_KP9},
    {Qt::Key_Period, KEY_KPDOT},
    {Qt::Key_Slash, KEY_KPSLASH},
    {Qt::Key_Asterisk, KEY_KPASTERISK},
    {Qt::Key_Minus, KEY_KPMINUS},
    {Qt::Key_Plus, KEY_KPPLUS},
    {Qt::Key_Enter, KEY_KPENTER},
});

std::optional<std::uint16_t> Find(std::span<const QtKeyRow> rows, int key) {
    for (const QtKeyRow& row : rows)
        if (row.key == key) return row.inputCode;
    return std::nullopt;
}

bool PlatformGivesXKeycodes() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

bool InWindow(QObject* watched, const QWidget& window) {
    return watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == &window;
}

}  // namespace

std::optional<std::uint16_t> InputCodeOfKeyEvent(const QKeyEvent& event) {
    const quint32 scanCode = event.nativeScanCode();
    if (PlatformGivesXKeycodes() && scanCode > kKeycodeOffset)
        return static_cast<std::uint16_t>(scanCode - kKeycodeOffset);
    if (event.modifiers() & Qt::KeypadModifier)
        if (const auto code = Find(kQtKeypadKeys, event.key())) return code;
    return Find(kQtKeys, event.key());
}

MacroKeyCapture::MacroKeyCapture(QWidget& window, MessageLoop& loop, Handlers handlers, const Clock& clock)
    : window_(window), handlers_(std::move(handlers)), clock_(clock) {
    KeyboardGrab::Handlers grabHandlers;
    grabHandlers.onKey = [this](const GrabbedKey& key) {
        if (key.keycode <= kKeycodeOffset || !handlers_.onKey) return;
        handlers_.onKey({static_cast<std::uint16_t>(key.keycode - kKeycodeOffset), key.released, key.time});
    };
    grabHandlers.onLost = [this] {
        if (handlers_.onLost) handlers_.onLost();
    };
    grab_ = KeyboardGrab::Open(loop, std::move(grabHandlers));
    qApp->installEventFilter(this);
}

MacroKeyCapture::~MacroKeyCapture() { qApp->removeEventFilter(this); }

bool MacroKeyCapture::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease && type != QEvent::ShortcutOverride) return false;
    if (!InWindow(watched, window_)) return false;
    // Accepted, the override keeps the key from being taken for a shortcut
    // and lets it come as a key press, which is kept here.
    event->accept();
    if (type == QEvent::ShortcutOverride) return true;
    const auto& key = *static_cast<QKeyEvent*>(event);
    const std::optional<std::uint16_t> code = InputCodeOfKeyEvent(key);
    if (key.isAutoRepeat() || !code || !handlers_.onKey) return true;
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(clock_.Now().time_since_epoch());
    // A copy: the handler may end the capture.
    const auto onKey = handlers_.onKey;
    onKey({*code, type == QEvent::KeyRelease, static_cast<std::uint32_t>(now.count())});
    return true;
}

}  // namespace kelm
