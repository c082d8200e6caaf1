#include <grp.h>
#include <gtest/gtest.h>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "platform/EventLoop.h"
#include "platform/MessageFrame.h"
#include "platform/ObjectPaths.h"
#include "platform/SocketAddress.h"
#include "platform/WindowClient.h"
#include "platform/WindowEndpoint.h"
#include "tests/support/TempRuntime.h"

namespace kelm {
namespace {

constexpr const char* kTitle = "VELDAN Kelm Keyboard Monitor";
// How long a test waits for something that should happen at once; only a
// broken endpoint ever waits this long.
constexpr auto kPatience = std::chrono::seconds(10);

WindowMessage Frame(MessageKind kind, std::uint32_t msg, std::int64_t lParam = 0) {
    WindowMessage m;
    m.kind = kind;
    m.msg = msg;
    m.lParam = lParam;
    return m;
}

// A client that writes raw bytes, to put exactly what a test wants on the
// wire and to see when the endpoint has read them.
class RawClient {
public:
    explicit RawClient(std::string_view title) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        SocketAddress address;
        EXPECT_TRUE(MakeSocketAddress(EndpointPath(title), address));
        EXPECT_EQ(::connect(fd_.Get(), address.Get(), address.length), 0);
    }
    void Write(std::string_view bytes) {
        ASSERT_EQ(::send(fd_.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    void Write(const WindowMessage& m) { Write(EncodeFrame(m)); }
    // Until the endpoint has taken every byte written so far off the socket.
    void WaitUntilRead() {
        const auto deadline = std::chrono::steady_clock::now() + kPatience;
        int unread = 1;
        while (std::chrono::steady_clock::now() < deadline) {
            ASSERT_EQ(::ioctl(fd_.Get(), SIOCOUTQ, &unread), 0);
            if (unread == 0) return;
            std::this_thread::yield();
        }
        FAIL() << "the endpoint did not read its frames";
    }
    std::optional<std::int64_t> ReadReply() {
        std::array<char, kReplySize> reply{};
        pollfd p{fd_.Get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) != 1) return std::nullopt;
        if (::recv(fd_.Get(), reply.data(), reply.size(), MSG_WAITALL) != static_cast<ssize_t>(reply.size()))
            return std::nullopt;
        return DecodeReply(reply);
    }
    bool ClosedByEndpoint() {
        pollfd p{fd_.Get(), POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(std::chrono::milliseconds(kPatience).count())) != 1) return false;
        char byte;
        return ::recv(fd_.Get(), &byte, 1, 0) <= 0;
    }
    void Close() { fd_.Reset(); }

private:
    UniqueFd fd_;
};

class EndpointTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop_ = EventLoop::Create();
        ASSERT_TRUE(loop_);
    }
    void TearDown() override {
        StopLoop();
        endpoint_.reset();
    }

    // The handler records every message; sent ones answer lParam * 2, copied
    // data answers dwData + its length.
    std::int64_t Record(const WindowMessage& m) {
        {
            std::lock_guard lock(mutex_);
            received_.push_back(m);
        }
        changed_.notify_all();
        if (m.kind == MessageKind::CopyData) return m.dwData + static_cast<std::int64_t>(m.data.size());
        return m.lParam * 2;
    }

    void Open(std::string_view title = kTitle) {
        endpoint_ = WindowEndpoint::Create(*loop_, title, [this](const WindowMessage& m) { return Record(m); });
        ASSERT_TRUE(endpoint_);
    }
    void StartLoop() {
        loopThread_ = std::thread([this] { loop_->Run(); });
    }
    void StopLoop() {
        if (!loopThread_.joinable()) return;
        loop_->Quit();
        loopThread_.join();
    }
    std::vector<WindowMessage> WaitForMessages(std::size_t count) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kPatience, [&] { return received_.size() >= count; });
        return received_;
    }
    std::vector<std::uint32_t> MessageNumbers(std::size_t count) {
        std::vector<std::uint32_t> numbers;
        for (const WindowMessage& m : WaitForMessages(count)) numbers.push_back(m.msg);
        return numbers;
    }

    test::TempRuntime runtime_;
    std::unique_ptr<EventLoop> loop_;
    std::unique_ptr<WindowEndpoint> endpoint_;
    std::thread loopThread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<WindowMessage> received_;
};

TEST_F(EndpointTest, PostSendAndCopyDataRoundTrip) {
    Open();
    StartLoop();
    EXPECT_TRUE(FindWindow(kTitle));
    EXPECT_TRUE(PostMessage(kTitle, 1254, 7, -9));
    EXPECT_EQ(SendMessage(kTitle, 1224, 1, 21), 42);
    const std::string text("CPU 12%\0RAM 40%", 15);
    EXPECT_EQ(SendCopyData(kTitle, 3, text), 3 + 15);
    const std::string largest(kMaxCopyData, 'z');
    EXPECT_EQ(SendCopyData(kTitle, 0, largest), static_cast<std::int64_t>(kMaxCopyData));

    const auto messages = WaitForMessages(4);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0].kind, MessageKind::Post);
    EXPECT_EQ(messages[0].msg, 1254u);
    EXPECT_EQ(messages[0].wParam, 7u);
    EXPECT_EQ(messages[0].lParam, -9);
    EXPECT_EQ(messages[1].kind, MessageKind::Send);
    EXPECT_EQ(messages[1].wParam, 1u);
    EXPECT_EQ(messages[2].kind, MessageKind::CopyData);
    EXPECT_EQ(messages[2].msg, WM_COPYDATA);
    EXPECT_EQ(messages[2].dwData, 3u);
    EXPECT_EQ(messages[2].data, text);
    EXPECT_EQ(messages[3].data, largest);
}

TEST_F(EndpointTest, OneConnectionCarriesManyMessagesInOrder) {
    Open();
    StartLoop();
    WindowConnection window = WindowConnection::Connect(kTitle);
    ASSERT_TRUE(window);
    for (std::int64_t i = 0; i < 50; ++i) {
        ASSERT_TRUE(window.Post(WM_USER + 1, 0, i));
        ASSERT_EQ(window.Send(WM_USER + 2, 0, i), 2 * i);
    }
    const auto messages = WaitForMessages(100);
    ASSERT_EQ(messages.size(), 100u);
    for (std::size_t i = 0; i < messages.size(); ++i) EXPECT_EQ(messages[i].lParam, static_cast<std::int64_t>(i / 2));
}

TEST_F(EndpointTest, ClientRefusesWhatCannotTravelAndSendsNothing) {
    Open();
    StartLoop();
    EXPECT_FALSE(SendCopyData(kTitle, 0, std::string(kMaxCopyData + 1, 'x')));
    EXPECT_FALSE(PostMessage(kTitle, WM_COPYDATA, 0, 0));
    EXPECT_EQ(SendMessage(kTitle, 5, 0, 1), 2);
    EXPECT_EQ(MessageNumbers(1), std::vector<std::uint32_t>{5});
}

// Frames are handled in the order the endpoint received them, across
// connections, posts and sends alike.
TEST_F(EndpointTest, ArrivalOrderHoldsAcrossConnections) {
    Open();
    StartLoop();
    RawClient a(kTitle);
    RawClient b(kTitle);
    a.Write(Frame(MessageKind::Post, 1));
    a.Write(Frame(MessageKind::Post, 2));
    a.WaitUntilRead();
    b.Write(Frame(MessageKind::Post, 3));
    b.WaitUntilRead();
    a.Write(Frame(MessageKind::Post, 4));
    a.WaitUntilRead();
    WindowMessage copy = Frame(MessageKind::CopyData, WM_COPYDATA);
    copy.data = "osd";
    b.Write(copy);
    EXPECT_EQ(b.ReadReply(), 3);
    a.Write(Frame(MessageKind::Send, 6, 10));
    EXPECT_EQ(a.ReadReply(), 20);
    EXPECT_EQ(MessageNumbers(6), (std::vector<std::uint32_t>{1, 2, 3, 4, WM_COPYDATA, 6}));
}

// After a bad frame on one connection (see MessageFrame.h for what is bad),
// that connection is closed and the bad frame is not handled; the frames
// before it and other connections are unaffected.
struct BadFrame {
    const char* name;
    std::string bytes;
};

std::string Patched(WindowMessage m, std::size_t offset, std::uint32_t value) {
    std::string frame = EncodeFrame(m);
    for (int i = 0; i < 4; ++i) frame[offset + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    return frame;
}

std::vector<BadFrame> BadFrames() {
    return {
        {"BadMagic", Patched(Frame(MessageKind::Send, 9), 0, 0x12345678)},
        {"KindZero", Patched(Frame(MessageKind::Send, 9), 4, 0)},
        {"KindFour", Patched(Frame(MessageKind::Send, 9), 4, 4)},
        {"CbData65537", Patched(Frame(MessageKind::CopyData, WM_COPYDATA), 36, 65537) + std::string(65537, 'x')},
        {"NonzeroZeroField", Patched(Frame(MessageKind::Send, 9), 12, 1)},
        {"PayloadOnAPost", Patched(Frame(MessageKind::Post, 9), 36, 4) + "data"},
        {"DwDataOnASend", Patched(Frame(MessageKind::Send, 9), 32, 5)},
        {"CopyDataOfAnotherMessage", Patched(Frame(MessageKind::CopyData, WM_COPYDATA), 8, 1224)},
        {"PostOfWmCopyData", Patched(Frame(MessageKind::CopyData, WM_COPYDATA), 4, 1)},
    };
}

class EndpointBadFrame : public EndpointTest, public ::testing::WithParamInterface<BadFrame> {};

TEST_P(EndpointBadFrame, ClosesOnlyItsConnection) {
    Open();
    StartLoop();
    RawClient bad(kTitle);
    bad.Write(Frame(MessageKind::Post, 1));
    bad.Write(GetParam().bytes);
    EXPECT_TRUE(bad.ClosedByEndpoint());

    RawClient good(kTitle);
    good.Write(Frame(MessageKind::Post, 2));
    good.Write(Frame(MessageKind::Send, 3, 5));
    EXPECT_EQ(good.ReadReply(), 10);
    EXPECT_EQ(MessageNumbers(3), (std::vector<std::uint32_t>{1, 2, 3}));
}

INSTANTIATE_TEST_SUITE_P(Endpoint, EndpointBadFrame, ::testing::ValuesIn(BadFrames()),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(EndpointTest, ClientVanishingMidFrameLeavesNothingBehind) {
    Open();
    StartLoop();
    {
        RawClient header(kTitle);
        header.Write(Frame(MessageKind::Post, 1));
        header.Write(EncodeFrame(Frame(MessageKind::Send, 8)).substr(0, 20));
        header.WaitUntilRead();
    }
    {
        RawClient payload(kTitle);
        WindowMessage copy = Frame(MessageKind::CopyData, WM_COPYDATA);
        copy.data = std::string(100, 'p');
        payload.Write(EncodeFrame(copy).substr(0, kFrameHeaderSize + 50));
        payload.WaitUntilRead();
    }
    EXPECT_EQ(SendMessage(kTitle, 2, 0, 4), 8);
    EXPECT_EQ(MessageNumbers(2), (std::vector<std::uint32_t>{1, 2}));
}

TEST_F(EndpointTest, FindWindowIsFalseWithoutAnOwner) {
    EXPECT_FALSE(FindWindow(kTitle));
    EXPECT_FALSE(PostMessage(kTitle, 1, 0, 0));
    EXPECT_FALSE(SendMessage(kTitle, 1, 0, 0));
    Open();
    EXPECT_TRUE(FindWindow(kTitle));
    endpoint_.reset();
    EXPECT_FALSE(FindWindow(kTitle));
    EXPECT_FALSE(std::filesystem::exists(EndpointPath(kTitle)));
}

TEST_F(EndpointTest, TitlesWithSlashesAreOneFile) {
    Open("KelmOSD Pop3/CPU RAM");
    StartLoop();
    EXPECT_TRUE(std::filesystem::exists(runtime_.Runtime() + "/windows/KelmOSD Pop3_CPU RAM"));
    EXPECT_EQ(SendMessage("KelmOSD Pop3/CPU RAM", 1, 0, 1), 2);
}

TEST_F(EndpointTest, SocketOfACrashedOwnerIsReplaced) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        auto loop = EventLoop::Create();
        auto endpoint = WindowEndpoint::Create(*loop, kTitle, [](const WindowMessage&) { return 0; });
        ::_exit(endpoint ? 0 : 1);  // ends without letting go of anything
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_TRUE(std::filesystem::is_socket(EndpointPath(kTitle)));
    EXPECT_FALSE(FindWindow(kTitle));

    Open();
    StartLoop();
    EXPECT_EQ(SendMessage(kTitle, 77, 0, 3), 6);
}

TEST_F(EndpointTest, LiveOwnersSocketIsNeverReplaced) {
    Open();
    struct stat before {};
    ASSERT_EQ(::stat(EndpointPath(kTitle).c_str(), &before), 0);
    EXPECT_FALSE(WindowEndpoint::Create(*loop_, kTitle, [](const WindowMessage&) { return -1; }));
    struct stat after {};
    ASSERT_EQ(::stat(EndpointPath(kTitle).c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino);
    StartLoop();
    EXPECT_EQ(SendMessage(kTitle, 1, 0, 5), 10);  // the first owner answers
}

TEST_F(EndpointTest, WindowClosingItselfStillAnswersTheSender) {
    endpoint_ = WindowEndpoint::Create(*loop_, kTitle, [this](const WindowMessage& m) -> std::int64_t {
        if (m.msg == WM_CLOSE) endpoint_.reset();
        return 123;
    });
    ASSERT_TRUE(endpoint_);
    StartLoop();
    EXPECT_EQ(SendMessage(kTitle, WM_CLOSE, 0, 0), 123);
    EXPECT_FALSE(FindWindow(kTitle));
}

TEST_F(EndpointTest, SendToAHungWindowGivesUpAfterItsWait) {
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    endpoint_ = WindowEndpoint::Create(*loop_, kTitle, [released](const WindowMessage& m) -> std::int64_t {
        if (m.msg == 1) released.wait();
        return 1;
    });
    ASSERT_TRUE(endpoint_);
    StartLoop();
    EXPECT_FALSE(SendMessage(kTitle, 1, 0, 0, std::chrono::milliseconds(20)));
    release.set_value();
    EXPECT_EQ(SendMessage(kTitle, 2, 0, 0), 1);
}

TEST_F(EndpointTest, ADeferredReplyLetsTheWindowGoOnAndReachesItsSenderLater) {
    std::mutex held;
    std::map<std::int64_t, DeferredReply> replies;  // by the sender's lParam
    endpoint_ = WindowEndpoint::Create(*loop_, kTitle, [&](const WindowMessage& m) -> std::int64_t {
        if (m.msg == 1) {
            const std::lock_guard lock(held);
            replies[m.lParam] = endpoint_->DeferReply();
        }
        return 7;  // not what a deferring handler's sender gets
    });
    ASSERT_TRUE(endpoint_);
    StartLoop();
    auto answered = std::async(std::launch::async, [] { return SendMessage(kTitle, 1, 0, 1); });
    auto dropped = std::async(std::launch::async, [] { return SendMessage(kTitle, 1, 0, 2); });
    const auto deferred = [&](std::size_t count) {
        for (int i = 0; i < 500; ++i) {
            {
                const std::lock_guard lock(held);
                if (replies.size() == count) return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    };
    ASSERT_TRUE(deferred(2));
    // Meanwhile the window answers everybody else; a posted message defers
    // nothing.
    EXPECT_EQ(SendMessage(kTitle, 2, 0, 0), 7);
    EXPECT_TRUE(PostMessage(kTitle, 1, 0, 3));
    ASSERT_TRUE(deferred(3));
    {
        const std::lock_guard lock(held);
        EXPECT_FALSE(replies[3]) << "a posted message has nobody to answer";
        // Answered from another thread, as a worker does; the other is
        // dropped unanswered, which answers 0.
        std::thread([reply = std::move(replies[1])]() mutable { reply.Send(42); }).join();
        replies[2] = DeferredReply();
    }
    EXPECT_EQ(answered.get(), 42);
    EXPECT_EQ(dropped.get(), 0);
}

// Forks a child that runs as nobody and tries to talk to the window.
// Returns the child's exit code: 0 refused at connect, 1 connected but
// closed without an answer, 2 answered.
int ConnectAsNobody(const std::string& path) {
    SocketAddress address;
    if (!MakeSocketAddress(path, address)) return -1;
    const std::string frame = EncodeFrame(Frame(MessageKind::Send, 31, 1));
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
            ::setresuid(65534, 65534, 65534) != 0)
            ::_exit(9);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, address.Get(), address.length) != 0) ::_exit(0);
        if (::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) < 0) ::_exit(1);
        char reply[8];
        ::_exit(::recv(fd, reply, sizeof reply, MSG_WAITALL) == 8 ? 2 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST_F(EndpointTest, AnotherUserCannotConnect) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a child as another user";
    Open();
    StartLoop();
    // Looked up once: every lookup makes the runtime folder private again.
    const std::string socket = EndpointPath(kTitle);
    EXPECT_EQ(ConnectAsNobody(socket), 0);

    // Even through folders opened up by mistake, the peer check refuses.
    for (const std::string& folder : {runtime_.Root(), runtime_.Runtime(), runtime_.Runtime() + "/windows"})
        ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
    ASSERT_EQ(::chmod(socket.c_str(), 0666), 0);
    EXPECT_EQ(ConnectAsNobody(socket), 1);

    EXPECT_EQ(SendMessage(kTitle, 32, 0, 1), 2);
    EXPECT_EQ(MessageNumbers(1), std::vector<std::uint32_t>{32});
}

}  // namespace
}  // namespace kelm
