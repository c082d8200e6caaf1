// The receiving side of a titled window: a listening Unix socket at
// <runtime>/windows/<title>, whose frames (see MessageFrame.h) are handed to
// one handler on the loop's thread in the order they were received, across
// all connections, together with everything else posted to that loop.
//
// Ownership of a title: the owner holds an exclusive flock on
// <title>.lock for as long as it listens, and only the lock holder removes
// or replaces the socket. A socket left by a crashed owner (nobody holds the
// lock) is therefore replaced, and a live owner's socket never is.
//
// Only the user who owns the runtime folder can reach the socket (the folder
// is 0700, the socket 0600), and a connection whose peer runs as another
// user (SO_PEERCRED) is closed at once. A malformed frame closes its own
// connection; the frames received before it are still handled. A client that
// goes away in the middle of a frame leaves nothing behind. A handler may
// answer a sent message later (DeferReply); the sender's connection then
// brings no further message until it has its answer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "platform/DeferredReply.h"
#include "platform/MessageLoop.h"
#include "platform/WindowMessage.h"

namespace kelm {

class WindowEndpoint {
public:
    // Returns the result of a sent message; ignored for posted ones.
    using Handler = std::function<std::int64_t(const WindowMessage&)>;

    // Listens under title; nullptr when a running program owns the title or
    // the socket cannot be made. loop must outlive the endpoint.
    static std::unique_ptr<WindowEndpoint> Create(MessageLoop& loop, std::string_view title, Handler handler);

    // Stops listening and removes the socket. Safe from inside the handler
    // (the window closing itself): the message being handled still gets its
    // reply; messages received but not yet handled are dropped, and their
    // senders see the connection close.
    ~WindowEndpoint();
    WindowEndpoint(const WindowEndpoint&) = delete;

    // Called by the handler of a sent message: the handler's own result is
    // then not sent; the sender waits for the reply's Send instead, while
    // this endpoint goes on handling other messages. Anywhere else (a posted
    // message, outside the handler) the reply answers nobody. The reply may
    // outlive the endpoint; it then reaches the sender only if the
    // connection is still open.
    DeferredReply DeferReply();

    WindowEndpoint& operator=(const WindowEndpoint&) = delete;

private:
    struct State;
    explicit WindowEndpoint(std::shared_ptr<State> state);
    std::shared_ptr<State> state_;
};

}  // namespace kelm
