// Pictures of every page, menu and dialog of KelmSetup for a person to look
// at: the real windows on the display of $DISPLAY (an Xvfb in CI), filled
// from a monitor's block with a few settings changed so that every kind of
// control shows both of its states, grabbed into a folder.
//   setup_screenshots FOLDER [PROGRAM_FOLDER]
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QTimer>
#include <cstdio>
#include <filesystem>

#include "platform/ProcessLauncher.h"
#include "settings/Text.h"
#include "setup/CAdvancedPage.h"
#include "setup/CConfirmDlg.h"
#include "setup/CKeyPage.h"
#include "setup/CLanguageDlg.h"
#include "setup/CMacroEventEditor.h"
#include "setup/CMacroManagerDlg.h"
#include "setup/CMacroSetNameDlg.h"
#include "setup/CMacroTimelineEditor.h"
#include "setup/CMacroTimelineView.h"
#include "setup/CProfileDlg.h"
#include "setup/CQuickLaunchDlg.h"
#include "setup/CSetupDlg.h"
#include "setup/CShortcutDlg.h"
#include "setup/CTimerDlg.h"
#include "setup/SkinSet.h"
#include "tests/setup/FakeMonitorLink.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace kelm;

// Runs the window's events until it has been painted.
void Settle() {
    for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

class Camera {
public:
    explicit Camera(QString folder) : folder_(std::move(folder)) {}
    void Take(QWidget& widget, const QString& name) {
        Settle();
        Save(widget.grab(), name);
    }
    // The window with its open menus on top, where the screen shows them.
    void TakeWithMenus(QWidget& window, const std::vector<QWidget*>& menus, const QString& name) {
        Settle();
        QPixmap shot = window.grab();
        QPainter painter(&shot);
        for (QWidget* menu : menus) painter.drawPixmap(window.mapFromGlobal(menu->pos()), menu->grab());
        painter.end();
        Save(shot, name);
    }
    void Save(const QPixmap& shot, const QString& name) {
        const QString path = folder_ + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!shot.save(path)) {
            std::fprintf(stderr, "setup_screenshots: cannot write %s\n", qPrintable(path));
            failed_ = true;
            return;
        }
        std::printf("%s\n", qPrintable(path));
    }
    bool Failed() const { return failed_; }

private:
    QString folder_;
    bool failed_ = false;
};

// Launches nothing: the update page's links are pictured, not followed.
class NoLauncher final : public ProcessLauncher {
public:
    bool StartProgram(const std::string&, const std::vector<std::string>&) override { return false; }
    bool OpenDocument(const std::string&) override { return false; }
};

class NoRunner final : public IApplyRunner {
public:
    void Run(int, Done) override {}
};

// The dialogs of the key pages' menus, filled as a user leaves them: a
// shortcut being made and none yet, a path and one too long, a new timer
// whose name is taken, and a timer being edited with its menu.
void TakeKeyDialogs(Camera& camera, const std::string& programFolder, const LanguageTexts& texts, QWidget* parent) {
    for (const auto& [current, name] :
         {std::pair{ShortcutChoice{0x14, kShortcutCtrl | kShortcutAlt}, "dialog-shortcut"},
          std::pair{ShortcutChoice{0, kShortcutNone}, "dialog-shortcut-none"}}) {
        CShortcutDlg dialog(programFolder, texts, current, parent);
        dialog.show();
        camera.Take(dialog, QString::fromLatin1(name));
    }
    for (const auto& [path, name] : {std::pair{std::string("/usr/games/supertux2"), "dialog-quicklaunch"},
                                     std::pair{"/opt/games/" + std::string(250, 'a'), "dialog-quicklaunch-too-long"}}) {
        CQuickLaunchDlg dialog(programFolder, texts, path, parent);
        dialog.show();
        camera.Take(dialog, QString::fromLatin1(name));
    }
    TimerList timers;
    for (const auto& [timerName, seconds] : {std::pair{"Egg", 300}, std::pair{"Respawn", 30}, std::pair{"Tea", 180}}) {
        TimerRecord timer{};
        timer.TimerSeconds = seconds;
        CopyField(timer.TimerName, timerName);
        timers.push_back(timer);
    }
    {
        CTimerDlg dialog(programFolder, texts, CTimerDlg::Mode::Create, timers, parent);
        dialog.findChild<QLineEdit*>(QStringLiteral("EDIT_PROFILE_NAME"))->setText(QStringLiteral("respawn"));
        dialog.show();
        dialog.accept();  // refused: the name is taken, and the notice says so
        camera.Take(dialog, QStringLiteral("dialog-timer-create"));
    }
    CTimerDlg dialog(programFolder, texts, CTimerDlg::Mode::Edit, timers, parent);
    dialog.ShowTimer(1);
    dialog.show();
    camera.Take(dialog, QStringLiteral("dialog-timer-edit"));
    const auto menu = dialog.TimerMenu();
    menu->popup(dialog.mapToGlobal(QPoint(115, 106)));
    camera.Take(*menu, QStringLiteral("menu-timers"));
    menu->close();
}

// The macro manager on a set with a recorded macro (delays, a repeat and a
// mouse click) in both editors, its set menu and its list menu open, and
// the set name dialog.
void TakeMacroManager(Camera& camera, const std::string& programFolder, const LanguageTexts& texts, QWidget* parent) {
    const auto macro = [](const char* name, std::int32_t option, std::vector<MacroEvent> events) {
        MacroEntry entry;
        std::memset(&entry, 0, sizeof entry);
        CopyField(entry.Name, name);
        entry.MacroOption = option;
        entry.EventCount = static_cast<std::int32_t>(events.size());
        std::copy(events.begin(), events.end(), entry.Events);
        return entry;
    };
    constexpr std::uint8_t P = kActionPress;
    constexpr std::uint8_t R = kActionRelease;
    // Shift held over N and I, then a click: "NI" typed with a repeat of 3.
    const std::vector<MacroEvent> nitro{{0xE1, P, 35}, {0x11, P, 90}, {0x11, R, 45}, {0x0C, P, 70},
                                        {0x0C, R, 50}, {0xE1, R, 60}, {0xF0, P, 80}, {0xF0, R, 0}};
    MacroLibrary library;
    library.Sets.push_back({"World of Warcraft", {macro("Mount", 1, {{0x10, P, 20}, {0x10, R, 0}})}});
    library.Sets.push_back({"Xfire", {}});
    library.Sets.push_back({"Racing",
                            {macro("Nitro boost", 3, nitro), macro("Pit stop", 1, {{0x13, P, 0}, {0x13, R, 0}}),
                             macro("Look back", 1, {})}});
    MacroKeyInfo entry{};
    entry.FunctionCode = kFnMacro;
    CopyField(entry.MacroSetName, "Racing");
    CopyField(entry.MacroName, "Nitro boost");

    CMacroManagerDlg dialog(programFolder, texts, library, 2, entry, parent);
    dialog.show();
    camera.Take(dialog, QStringLiteral("dialog-macro-manager-events"));
    {
        auto* field = dialog.findChild<QWidget*>(QStringLiteral("BUTTON_combox_macro_select"));
        const auto menu = dialog.SetMenu();
        menu->popup(field->mapToGlobal(QPoint(0, field->height())));
        camera.TakeWithMenus(dialog, {menu.get()}, QStringLiteral("menu-macro-sets"));
        menu->close();
    }
    {
        // Insert Mouse Event and its Left Button opened.
        auto* list = dialog.findChild<QListWidget*>(QStringLiteral("BUTTON_List_key_sequence"));
        list->setCurrentRow(2);
        const auto menu = dialog.EventEditor()->ListMenu();
        menu->popup(list->viewport()->mapToGlobal(list->visualItemRect(list->item(2)).center()));
        std::vector<QWidget*> open{menu.get()};
        for (const QString& title : {QStringLiteral("Insert Mouse Event"), QStringLiteral("Left Button")}) {
            auto* parentMenu = static_cast<QMenu*>(open.back());
            for (QAction* action : parentMenu->actions()) {
                if (action->text() != title || action->menu() == nullptr) continue;
                parentMenu->setActiveAction(action);
                action->menu()->popup(parentMenu->mapToGlobal(parentMenu->actionGeometry(action).topRight()));
                Settle();
                open.push_back(action->menu());
            }
        }
        camera.TakeWithMenus(dialog, open, QStringLiteral("menu-macro-event-list"));
        menu->close();
    }
    dialog.findChild<QAbstractButton*>(QStringLiteral("BUTTON_Switch_editor"))->click();
    dialog.TimelineEditor()->View()->Select(1);
    camera.Take(dialog, QStringLiteral("dialog-macro-manager-timeline"));

    const MacroDialogContext context{programFolder, texts};
    CMacroSetNameDlg name(context, TextId::kRenameSetTitle, "Racing", &dialog);
    name.show();
    camera.Take(name, QStringLiteral("dialog-macro-set-name"));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: setup_screenshots FOLDER [PROGRAM_FOLDER]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // Absolute: the folder below borrows from it through symbolic links.
    const std::string programFolder =
        WithTrailingSlash(std::filesystem::absolute(argc > 2 ? argv[2] : KELM_PROGRAM_FOLDER).string());
    QDir().mkpath(folder);
    UseSetupFont();

    // The session saves the macro library: into a folder of its own, which
    // borrows the program folder's pictures and texts.
    test::TempFolder home;
    std::filesystem::create_directories(home / "config");
    for (const char* shared : {"Skin", "help"})
        std::filesystem::create_directory_symlink(programFolder + shared, home / shared);
    const StoreLocation where = StoreLocation::ForProgramFolder(home.Path());

    test::FakeMonitorLink monitor;
    SettingsRecord& block = *monitor.block;
    block.CurrentProfile = 1;
    block.WindowsProfile = 3;
    CopyField(block.Profiles[1].ProFileName, "Racing");
    CopyField(block.Profiles[2].ProFileName, "Strategy (long name that is cut)");
    block.Profiles[1].ModifyKey[2] = 0;
    block.Profiles[1].SoundLRecord = 0;
    block.MouseType = 1;
    WriteFirmwareVersion(where, 115);
    // Keys whose labels come from their own data, and one switched off by
    // the DuoLayer pair rule, so the key pages show every kind of label.
    ProfileRecord& racing = block.Profiles[1];
    const auto macro = [&racing](int key, const char* set, const char* name) {
        racing.Keys[key].FunctionCode = kFnMacro;
        CopyField(racing.Keys[key].MacroSetName, set);
        CopyField(racing.Keys[key].MacroName, name);
    };
    const auto shortcut = [&racing](int key, std::uint8_t usage, std::uint8_t modifiers) {
        racing.Keys[key].FunctionCode = 0xB8;
        racing.Keys[key].EventCount = 1;
        racing.Keys[key].Events[0] = {usage, modifiers, 0};
    };
    const auto timer = [&racing](int key, const char* name) {
        racing.Keys[key].FunctionCode = 0xBC;
        CopyField(racing.Keys[key].TimerName, name);
    };
    const auto launch = [&racing](int key, const char* path) {
        racing.Keys[key].FunctionCode = kFnQuickLaunch;
        CopyField(racing.Keys[key].QuickLaunchPath, path);
    };
    macro(0, "Racing", "Nitro boost");
    shortcut(1, 0x14, kShortcutCtrl | kShortcutAlt);
    racing.Keys[2].FunctionCode = kFnDuoLayerKelm;
    racing.Keys[7].FunctionCode = kFnDisabledByPair;
    timer(3, "Pizza");
    launch(30, "/usr/games/supertuxkart");
    racing.Keys[31].FunctionCode = kFnDuoLayerVaskLock;
    racing.Keys[31].TargetDevice = kTargetVask;
    macro(10, "Racing", "Pit stop");
    shortcut(15, 0x1A, kShortcutShift | kShortcutWin);
    racing.Keys[20].FunctionCode = 0xD1;
    timer(25, "Respawn");
    launch(27, "/opt/tools/obs-studio/bin/obs");
    timer(40, "Pizza");
    launch(41, "/usr/bin/firefox");
    racing.Keys[55].FunctionCode = 0xC1;
    racing.MediaOption = 2;
    TimerList timers(2, TimerRecord{});
    CopyField(timers[0].TimerName, "Pizza");
    timers[0].TimerSeconds = 600;
    CopyField(timers[1].TimerName, "Respawn");
    timers[1].TimerSeconds = 30;
    SaveTimers(timers, where);

    SetupSession session(monitor, where);
    NoLauncher launcher;
    NoRunner runner;
    CSetupDlg window(session, launcher, where.programFolder);
    SetupController controller(session, window, runner);
    window.Attach(controller);
    controller.Start();
    window.show();

    Camera camera(folder);
    const char* pages[] = {"main", "hotgrid", "mediaf", "advanced", "update"};
    for (int page = 0; page < CSetupDlg::kPageCount; ++page) {
        window.ShowPage(page);
        camera.Take(window, QStringLiteral("window-%1-%2").arg(page + 1).arg(QString::fromLatin1(pages[page])));
    }
    // Each key page with a key's menu open: on the macro-key page down to
    // the macros of the key's set.
    const auto keyPage = [&window](KeyPageKind kind) {
        for (CKeyPage* page : window.findChildren<CKeyPage*>())
            if (page->Kind() == kind) return page;
        return static_cast<CKeyPage*>(nullptr);
    };
    const struct {
        int page;
        KeyPageKind kind;
        int slot;
        const char* name;
    } menus[] = {
        {CSetupDlg::kMainPage, KeyPageKind::MacroKeys, 2, "menu-1-main-m1"},
        {CSetupDlg::kHotGridPage, KeyPageKind::HotGrid, 5, "menu-2-hotgrid-q"},
        {CSetupDlg::kMediaFPage, KeyPageKind::MediaF, 13, "menu-3-mediaf-mm2"},
    };
    for (const auto& shot : menus) {
        window.ShowPage(shot.page);
        CKeyPage* page = keyPage(shot.kind);
        page->OpenSlotMenu(shot.slot);
        Settle();
        QMenu* menu = page->OpenMenu();
        if (shot.kind != KeyPageKind::MacroKeys) {
            camera.TakeWithMenus(window, {menu}, QString::fromLatin1(shot.name));
        } else {
            // Macro + Preset Function, then the set holding the key's macro.
            std::vector<QWidget*> open{menu};
            for (const QString& title : {QStringLiteral("Macro + Preset Function"), QStringLiteral("Racing")}) {
                QMenu* parent = static_cast<QMenu*>(open.back());
                for (QAction* action : parent->actions()) {
                    if (action->text() != title || action->menu() == nullptr) continue;
                    parent->setActiveAction(action);
                    action->menu()->popup(parent->mapToGlobal(parent->actionGeometry(action).topRight()));
                    Settle();
                    open.push_back(action->menu());
                }
            }
            camera.TakeWithMenus(window, open, QString::fromLatin1(shot.name));
        }
        menu->close();
    }
    const LanguageTexts english(where.programFolder, kEnglishLanguageIndex);
    {
        CConfirmDlg dialog(where.programFolder, english,
                           Utf8(WithNumber(english.Text(TextId::kWindowsProfileQuestion), 3)),
                           CConfirmDlg::Buttons::OkCancel, &window);
        dialog.show();
        camera.Take(dialog, QStringLiteral("dialog-windows-profile"));
    }
    {
        CConfirmDlg dialog(where.programFolder, english, Utf8(english.Text(TextId::kSavedWithoutMonitor)),
                           CConfirmDlg::Buttons::OkOnly, &window);
        dialog.show();
        camera.Take(dialog, QStringLiteral("dialog-notice"));
    }
    {
        CProfileDlg dialog(where.programFolder, english, CProfileDlg::Mode::Edit, session.CurrentProfileFields(),
                           &window);
        dialog.show();
        camera.Take(dialog, QStringLiteral("dialog-profile-edit"));
    }
    {
        CLanguageDlg dialog(where.programFolder, english, session.Language(), &window);
        dialog.show();
        camera.Take(dialog, QStringLiteral("dialog-languages"));
    }
    window.ShowPage(CSetupDlg::kAdvancedPage);
    for (const bool dimmer : {true, false}) {
        const auto menu = window.findChild<CAdvancedPage*>()->Menu(dimmer);
        menu->popup(window.mapToGlobal(QPoint(420, 270)));
        camera.Take(*menu, dimmer ? QStringLiteral("menu-dimmer") : QStringLiteral("menu-time-out"));
        menu->close();
    }
    // The same window in another language.
    controller.OnLanguage(4);
    camera.Take(window, QStringLiteral("window-4-advanced-german"));
    TakeKeyDialogs(camera, where.programFolder, english, &window);
    TakeMacroManager(camera, where.programFolder, english, &window);
    return camera.Failed() ? 1 : 0;
}
