// A sent message with its reply through the message endpoint layer
// (WindowConnection::Send to a WindowEndpoint served by an EventLoop on
// its own thread) against the floor: the same 40-byte frame and 8-byte
// reply over a bare Unix stream socket, echoed by a thread that does
// nothing else. Prints both times and the ratios (goal: under 1.5).
//   message_roundtrip
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "bench/Timing.h"
#include "platform/EventLoop.h"
#include "platform/MessageFrame.h"
#include "platform/UniqueFd.h"
#include "platform/WindowClient.h"
#include "platform/WindowEndpoint.h"

namespace {

using namespace kelm;
using namespace kelm::bench;

constexpr int kRounds = 5;
constexpr double kRoundSeconds = 0.3;
constexpr const char* kTitle = "Kelm message bench";

bool ReadExactly(int fd, char* out, std::size_t size) {
    while (size > 0) {
        const ssize_t n = ::recv(fd, out, size, 0);
        if (n <= 0) return false;
        out += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteExactly(int fd, const char* bytes, std::size_t size) {
    return ::send(fd, bytes, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
}

// The floor's server: reads a frame header, answers 8 bytes, until closed.
void Echo(int fd) {
    char frame[kFrameHeaderSize];
    const auto reply = EncodeReply(1);
    while (ReadExactly(fd, frame, sizeof frame) && WriteExactly(fd, reply.data(), reply.size())) {
    }
}

int Run() {
    auto loop = EventLoop::Create();
    if (!loop) return 1;
    auto endpoint = WindowEndpoint::Create(*loop, kTitle, [](const WindowMessage& m) { return m.lParam + 1; });
    if (!endpoint) {
        std::fprintf(stderr, "message_roundtrip: cannot open the endpoint\n");
        return 1;
    }
    std::thread server([&] { loop->Run(); });
    WindowConnection window = WindowConnection::Connect(kTitle);

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return 1;
    UniqueFd client(pair[0]);
    UniqueFd echoEnd(pair[1]);
    std::thread echo(Echo, echoEnd.Get());

    WindowMessage message;
    message.kind = MessageKind::Send;
    message.msg = WM_USER;
    const std::string frame = EncodeFrame(message);

    bool ok = static_cast<bool>(window);
    std::int64_t sent = 0;
    TimedCase endpointCase{"endpoint Send with reply", [&] {
                               ++sent;
                               ok = window.Send(WM_USER, 0, sent) == sent + 1 && ok;
                           }};
    TimedCase floorCase{"floor: bare socket echo", [&] {
                            std::array<char, kReplySize> reply{};
                            ok = WriteExactly(client.Get(), frame.data(), frame.size()) &&
                                 ReadExactly(client.Get(), reply.data(), reply.size()) && ok;
                        }};
    if (ok) TimeCases({&endpointCase, &floorCase}, kRounds, kRoundSeconds);

    ::shutdown(client.Get(), SHUT_RDWR);
    echo.join();
    loop->Quit();
    server.join();
    if (!ok) {
        std::fprintf(stderr, "message_roundtrip: a round trip failed\n");
        return 1;
    }
    std::printf("Sent message with its reply          fastest      median\n");
    for (const TimedCase* c : {&endpointCase, &floorCase})
        std::printf("  %-30s %8.2f us  %8.2f us  (%zu calls)\n", c->name.c_str(), c->Best() * 1e6, c->Median() * 1e6,
                    c->seconds.size());
    std::printf("  %-30s %8.2f     %8.2f     (goal: under 1.5)\n", "endpoint / floor",
                endpointCase.Best() / floorCase.Best(), endpointCase.Median() / floorCase.Median());
    return 0;
}

}  // namespace

int main() {
    // A runtime folder of its own, so the bench meets no running program.
    std::string root = (std::filesystem::temp_directory_path() / "kelm-bench-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr || ::setenv("XDG_RUNTIME_DIR", root.c_str(), 1) != 0) {
        std::perror("message_roundtrip: cannot make a runtime folder");
        return 1;
    }
    const int status = Run();
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return status;
}
