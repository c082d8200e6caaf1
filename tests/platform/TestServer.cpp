#include "tests/platform/TestServer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/UniqueFd.h"

namespace kelm::test {

namespace {

constexpr auto kReadyWait = std::chrono::seconds(10);

// The first line written to fd, or "" when none comes in time.
std::string ReadLine(int fd) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + kReadyWait;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 1) return "";
        char c;
        if (::read(fd, &c, 1) != 1) return "";
        if (c == '\n') return line;
        line += c;
    }
}

}  // namespace

bool ProgramInstalled(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && ::access((folder + "/" + name).c_str(), X_OK) == 0) return true;
    return false;
}

pid_t TestServer::Fork(const std::string& program, std::vector<std::string>& args, int announceFd) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // Only the announcing descriptor and /dev/null survive the exec.
    if (announceFd >= 0) ::fcntl(announceFd, F_SETFD, 0);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execvp(program.c_str(), argv.data());
    ::_exit(127);
}

std::unique_ptr<TestServer> TestServer::Start(const std::string& program, std::vector<std::string> args) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return nullptr;
    UniqueFd readEnd(fds[0]);
    UniqueFd writeEnd(fds[1]);
    for (std::string& arg : args) {
        const std::size_t at = arg.find(kAnnounceFd);
        if (at != std::string::npos) arg.replace(at, std::string(kAnnounceFd).size(), std::to_string(fds[1]));
    }
    const pid_t pid = Fork(program, args, fds[1]);
    if (pid < 0) return nullptr;
    writeEnd.Reset();
    std::string line = ReadLine(readEnd.Get());
    auto server = std::unique_ptr<TestServer>(new TestServer(pid, std::move(line)));
    if (server->announcement_.empty()) return nullptr;  // the destructor ends it
    return server;
}

std::unique_ptr<TestServer> TestServer::Spawn(const std::string& program, std::vector<std::string> args) {
    const pid_t pid = Fork(program, args, -1);
    if (pid < 0) return nullptr;
    return std::unique_ptr<TestServer>(new TestServer(pid, ""));
}

TestServer::~TestServer() { Stop(); }

void TestServer::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::unique_ptr<XvfbServer> XvfbServer::Start() {
    if (!ProgramInstalled("Xvfb")) return nullptr;
    // -displayfd lets Xvfb take the first free display number itself and
    // tell it once it accepts connections.
    auto server = TestServer::Start(
        "Xvfb", {"-displayfd", TestServer::kAnnounceFd, "-nolisten", "tcp", "-screen", "0", "800x600x24"});
    if (!server) return nullptr;
    std::string display = ":" + server->Announcement();
    return std::unique_ptr<XvfbServer>(new XvfbServer(std::move(server), std::move(display)));
}

}  // namespace kelm::test
