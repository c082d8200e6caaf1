// A server program that a test starts for itself (Xvfb, dbus-daemon): it
// announces that it is ready with one line on a descriptor it is given,
// and it is stopped when the test is done with it.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace kelm::test {

// True when name is an executable found through PATH.
bool ProgramInstalled(const std::string& name);

class TestServer {
public:
    // The argument that Start replaces by the number of the descriptor the
    // server writes its ready line to.
    static constexpr const char* kAnnounceFd = "@FD@";

    // Starts program with args (its output goes to /dev/null) and waits up
    // to ten seconds for its first line. nullptr when it cannot be started,
    // ends or stays silent.
    static std::unique_ptr<TestServer> Start(const std::string& program, std::vector<std::string> args);
    // Starts program with args without waiting for anything; nullptr when
    // it cannot be started. The test learns of its readiness its own way.
    static std::unique_ptr<TestServer> Spawn(const std::string& program, std::vector<std::string> args);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // The ready line without its line break.
    const std::string& Announcement() const { return announcement_; }
    // Ends the server now and waits for it.
    void Stop();

private:
    TestServer(pid_t pid, std::string announcement) : pid_(pid), announcement_(std::move(announcement)) {}
    // The child's pid, or -1; announceFd stays open across the exec.
    static pid_t Fork(const std::string& program, std::vector<std::string>& args, int announceFd);
    pid_t pid_;
    std::string announcement_;
};

// An Xvfb server on a free display number, reachable only through its
// local socket.
class XvfbServer {
public:
    // nullptr when Xvfb is not installed or does not start.
    static std::unique_ptr<XvfbServer> Start();
    // ":N"
    const std::string& Display() const { return display_; }

private:
    XvfbServer(std::unique_ptr<TestServer> server, std::string display)
        : server_(std::move(server)), display_(std::move(display)) {}
    std::unique_ptr<TestServer> server_;
    std::string display_;
};

}  // namespace kelm::test
