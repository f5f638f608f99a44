// Runs the kelvara-cli binary in a child without a controlling terminal, with given input and environment.
#pragma once

#include "core_temp_dir.h"

#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <map>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace kelvara::test {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;
};

class CliRunner {
public:
    explicit CliRunner(std::filesystem::path workingFolder) : m_folder(std::move(workingFolder)) {}

    // Variables for the child on top of a minimal environment (KELVARA_PASSWORD only when given).
    std::map<std::string, std::string> environment;
    // Run in the child just before the program starts (limits, umask); the program inherits what it sets.
    std::function<void()> beforeExec;
    // Runs in the child just before the program starts, after the standard streams are set up.
    std::function<void()> inChild;

    CliResult run(const std::vector<std::string>& args, const std::string& input = {}) const {
        const TempDir io;
        writeFile(io / "in", input);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setsid(); // no controlling terminal: /dev/tty cannot be opened, as under CI
            if (::chdir(m_folder.c_str()) != 0)
                ::_exit(120);
            redirect(io / "in", STDIN_FILENO, O_RDONLY);
            redirect(io / "out", STDOUT_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
            redirect(io / "err", STDERR_FILENO, O_WRONLY | O_CREAT | O_TRUNC);
            if (inChild)
                inChild();
            std::vector<std::string> env{"PATH=/usr/bin:/bin", "LANG=C.UTF-8"};
            for (const auto& [name, value] : environment)
                env.push_back(name + "=" + value);
            std::vector<std::string> argvText{KELVARA_CLI_PATH};
            argvText.insert(argvText.end(), args.begin(), args.end());
            if (beforeExec)
                beforeExec();
            ::execve(KELVARA_CLI_PATH, pointers(argvText).data(), pointers(env).data());
            ::_exit(121);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        CliResult result;
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        result.out = readFile(io / "out");
        result.err = readFile(io / "err");
        return result;
    }

private:
    static void redirect(const std::filesystem::path& path, int target, int flags) {
        const int fd = ::open(path.c_str(), flags, 0600);
        if (fd < 0 || ::dup2(fd, target) < 0)
            ::_exit(122);
        ::close(fd);
    }
    static std::vector<char*> pointers(std::vector<std::string>& texts) {
        std::vector<char*> result;
        for (auto& text : texts)
            result.push_back(text.data());
        result.push_back(nullptr);
        return result;
    }

    std::filesystem::path m_folder;
};

} // namespace kelvara::test
