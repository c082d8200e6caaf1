// Work in a forked child, for what only shows across processes: a second
// opener of a shared object, a holder that dies without letting go.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

namespace kelm::test {

// Runs body in a forked child and returns its exit code (-1 when it did
// not exit normally). The child ends with _exit, so it runs none of the
// parent's exit handlers and flushes none of its buffers.
template <typename Body>
int InChild(Body body) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(body());
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace kelm::test
