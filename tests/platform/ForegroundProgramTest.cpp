// The program in front, as a window manager tells it on an Xvfb of the
// test's own: the test plays the window manager, setting _NET_ACTIVE_WINDOW
// on the root window and _NET_WM_PID on a window of its own.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/ForegroundProgram.h"
#include "tests/platform/TestServer.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

extern char** environ;

namespace kelm {
namespace {

using Result = ForegroundLookup::Result;

TEST(ProcessExecutableName, TheExecutablesFileNameElseTheProcessName) {
    const test::TempFolder proc;
    std::filesystem::create_directories(proc / "10");
    std::filesystem::create_symlink("/opt/Race Games/Race.EXE", proc / "10/exe");
    std::filesystem::create_directories(proc / "11");
    std::filesystem::create_symlink("/usr/bin/game (deleted)", proc / "11/exe");
    test::WriteFile(proc / "11/comm", "other\n");
    test::WriteFile(proc / "12/comm", "steam\n");
    std::filesystem::create_directories(proc / "13");
    const std::vector<std::pair<long, std::optional<std::string>>> cases = {
        {10, "Race.EXE"},   {11, "game"},      {12, "steam"},       {13, std::nullopt},
        {14, std::nullopt}, {0, std::nullopt}, {-10, std::nullopt},
    };
    for (const auto& [pid, name] : cases) EXPECT_EQ(ProcessExecutableName(pid, proc.Path()), name) << pid;
    EXPECT_EQ(ProcessExecutableName(static_cast<long>(::getpid())),
              std::filesystem::read_symlink("/proc/self/exe").filename().string());
}

TEST(ForegroundProgram, WithoutAnX11DisplayTheForegroundIsUnavailable) {
    X11ForegroundProgram program;
    {
        const test::ScopedEnv noDisplay("DISPLAY", nullptr);
        const test::ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
        EXPECT_EQ(program.Find().result, Result::Unavailable);
    }
    const test::ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_EQ(program.Find().result, Result::Unavailable);
}

// A copy of sleep under a game's name, so that /proc shows that name.
class Game {
public:
    explicit Game(const std::string& path) : path_(path) {
        std::filesystem::copy_file("/bin/sleep", path);
        ::chmod(path.c_str(), 0755);
        std::vector<char*> argv{const_cast<char*>(path.c_str()), const_cast<char*>("60"), nullptr};
        if (::posix_spawn(&pid_, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0) pid_ = 0;
    }
    ~Game() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;
    std::uint32_t Pid() const { return static_cast<std::uint32_t>(pid_); }

private:
    std::string path_;
    pid_t pid_ = 0;
};

class WindowManager {
public:
    explicit WindowManager(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {
        if (xcb_connection_has_error(c_) != 0) return;
        root_ = xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root;
        active_ = Atom("_NET_ACTIVE_WINDOW");
        pid_ = Atom("_NET_WM_PID");
    }
    ~WindowManager() { xcb_disconnect(c_); }
    WindowManager(const WindowManager&) = delete;
    WindowManager& operator=(const WindowManager&) = delete;
    bool Ok() { return xcb_connection_has_error(c_) == 0 && active_ != 0 && pid_ != 0; }

    xcb_window_t NewWindow() {
        const xcb_window_t w = xcb_generate_id(c_);
        xcb_create_window(c_, XCB_COPY_FROM_PARENT, w, root_, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
        return w;
    }
    void Destroy(xcb_window_t w) { xcb_destroy_window(c_, w); }
    void SetActive(xcb_window_t w) { Cardinal(root_, active_, XCB_ATOM_WINDOW, w); }
    void ClearActive() { xcb_delete_property(c_, root_, active_); }
    void SetPid(xcb_window_t w, std::uint32_t pid) { Cardinal(w, pid_, XCB_ATOM_CARDINAL, pid); }
    void SetMachine(xcb_window_t w, const std::string& host) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, XCB_ATOM_WM_CLIENT_MACHINE, XCB_ATOM_STRING, 8,
                            static_cast<std::uint32_t>(host.size()), host.data());
    }
    // Every change has reached the server.
    void Sync() { std::free(xcb_get_input_focus_reply(c_, xcb_get_input_focus(c_), nullptr)); }

private:
    xcb_atom_t Atom(const char* name) {
        auto* reply = xcb_intern_atom_reply(
            c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t atom = reply != nullptr ? reply->atom : 0;
        std::free(reply);
        return atom;
    }
    void Cardinal(xcb_window_t w, xcb_atom_t property, xcb_atom_t type, std::uint32_t value) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, w, property, type, 32, 1, &value);
    }

    xcb_connection_t* c_;
    xcb_window_t root_ = 0;
    xcb_atom_t active_ = 0;
    xcb_atom_t pid_ = 0;
};

TEST(ForegroundProgram, TheActiveWindowsProcessNamesTheProgram) {
    const auto xvfb = test::XvfbServer::Start();
    if (!xvfb) GTEST_SKIP() << "Xvfb is not installed or did not start";
    const test::ScopedEnv display("DISPLAY", xvfb->Display().c_str());
    const test::ScopedEnv noWayland("WAYLAND_DISPLAY", nullptr);
    const test::TempFolder folder;
    WindowManager wm(xvfb->Display());
    ASSERT_TRUE(wm.Ok());
    Game game(folder / "Game.EXE");
    ASSERT_NE(game.Pid(), 0u);
    char host[HOST_NAME_MAX + 1] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);

    const xcb_window_t withPid = wm.NewWindow();
    const xcb_window_t withoutPid = wm.NewWindow();
    const xcb_window_t remote = wm.NewWindow();
    const xcb_window_t local = wm.NewWindow();
    const xcb_window_t closed = wm.NewWindow();
    const xcb_window_t noProcess = wm.NewWindow();
    wm.SetPid(withPid, game.Pid());
    wm.SetPid(remote, game.Pid());
    wm.SetMachine(remote, "elsewhere.example");
    wm.SetPid(local, game.Pid());
    wm.SetMachine(local, host);
    wm.SetPid(closed, game.Pid());
    wm.Destroy(closed);
    wm.SetPid(noProcess, 0x3FFFFFF0);

    struct Case {
        const char* what;
        std::function<void()> arrange;
        ForegroundLookup expected;
    };
    const std::vector<Case> cases = {
        {"no window manager naming the active window", [&] { wm.ClearActive(); }, {Result::Unavailable, {}}},
        {"the game in front", [&] { wm.SetActive(withPid); }, {Result::Program, "Game.EXE"}},
        {"nothing in front", [&] { wm.SetActive(XCB_WINDOW_NONE); }, {Result::NoProgram, {}}},
        {"a window without a process id", [&] { wm.SetActive(withoutPid); }, {Result::NoProgram, {}}},
        {"a window of another machine", [&] { wm.SetActive(remote); }, {Result::NoProgram, {}}},
        {"a window of this machine", [&] { wm.SetActive(local); }, {Result::Program, "Game.EXE"}},
        {"a window that has closed", [&] { wm.SetActive(closed); }, {Result::NoProgram, {}}},
        {"a process that has gone", [&] { wm.SetActive(noProcess); }, {Result::NoProgram, {}}},
        {"an executable replaced while it runs",
         [&] {
             std::filesystem::remove(folder / "Game.EXE");
             wm.SetActive(withPid);
         },
         {Result::Program, "Game.EXE"}},
    };
    X11ForegroundProgram program;
    for (const Case& c : cases) {
        c.arrange();
        wm.Sync();
        const ForegroundLookup found = program.Find();
        EXPECT_EQ(found.result, c.expected.result) << c.what;
        if (c.expected.result != Result::Unavailable) {
            EXPECT_EQ(found.detail, c.expected.detail) << c.what;
        }
    }
}

}  // namespace
}  // namespace kelm
