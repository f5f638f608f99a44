// Runs a piece of a test in a forked child (for resource limits and dropped privileges); returns its exit code.
#pragma once

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvara::test {

inline int runInChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

} // namespace kelvara::test
