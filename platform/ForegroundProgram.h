// The program that owns the window in front: on X11 the window manager's
// _NET_ACTIVE_WINDOW, its _NET_WM_PID, and that process's executable from
// /proc (its comm where the executable cannot be read).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct xcb_connection_t;

namespace kelm {

struct ForegroundLookup {
    enum class Result {
        Unavailable,  // no way to know here (Wayland, no display, no EWMH)
        NoProgram,    // nothing in front, or a window without a local process
        Program,
    };
    Result result;
    // Program: the executable's file name as the system has it. Unavailable:
    // why, for the debug output.
    std::string detail;
};

class IForegroundProgram {
public:
    virtual ~IForegroundProgram() = default;
    virtual ForegroundLookup Find() = 0;
};

// One connection to $DISPLAY, made when first needed and again after the
// server went away. The X protocol's errors (a window that closed between
// two reads) come back with each reply and end only that lookup.
class X11ForegroundProgram final : public IForegroundProgram {
public:
    X11ForegroundProgram() = default;
    ~X11ForegroundProgram() override;
    X11ForegroundProgram(const X11ForegroundProgram&) = delete;
    X11ForegroundProgram& operator=(const X11ForegroundProgram&) = delete;

    ForegroundLookup Find() override;

private:
    bool Connect(std::string& why);
    void Disconnect();

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    std::uint32_t activeWindowAtom_ = 0;
    std::uint32_t pidAtom_ = 0;
};

// The file name of pid's executable from procRoot ("/proc"), else its comm;
// nullopt when no such process can be seen.
std::optional<std::string> ProcessExecutableName(long pid, const std::string& procRoot = "/proc");

}  // namespace kelm
