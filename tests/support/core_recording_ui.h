// A UserInterface for core tests: records notices, questions and progress, answers questions from a queue.
#pragma once

#include "operations/user_interface.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace kelvara::test {

class RecordingUserInterface final : public UserInterface {
public:
    std::vector<Notice> notices;
    std::vector<std::string> questions;
    std::deque<bool> answers; // empty: "no"
    // Progress as readable events: "begin <phase> <max>", "pos <n>", "end".
    std::vector<std::string> progress;
    std::uint64_t lastFileDone = 0;
    std::uint64_t lastFileTotal = 0;
    // Called at every report of a file's progress: lets a test act while a routine is midway.
    std::function<void(std::uint64_t done)> duringFile;
    // Each lowering of a folder run's workers as "wanted>allowed".
    std::vector<std::string> workerLimits;

    // The kinds of the notices, in order.
    std::vector<NoticeKind> kinds() const {
        std::vector<NoticeKind> result;
        for (const Notice& notice : notices)
            result.push_back(notice.kind);
        return result;
    }

    void notify(const Notice& notice) override { notices.push_back(notice); }
    // A question as "encrypt SOURCE -> TARGET" (or "decrypt ...").
    bool confirmFolderRun(Direction direction, const std::filesystem::path& source,
                          const std::filesystem::path& target) override {
        questions.push_back((direction == Direction::decrypt ? "decrypt " : "encrypt ") + source.string() + " -> " +
                            target.string());
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void progressBegin(ProgressPhase phase, long long maximum) override {
        static const char* const names[] = {"structure", "encrypting", "decrypting"};
        progress.push_back(std::string("begin ") + names[static_cast<int>(phase)] + " " + std::to_string(maximum));
    }
    void progressPosition(long long position) override { progress.push_back("pos " + std::to_string(position)); }
    void progressEnd() override { progress.push_back("end"); }
    void fileProgress(std::uint64_t done, std::uint64_t total) override {
        lastFileDone = done;
        lastFileTotal = total;
        if (duringFile)
            duringFile(done);
    }
    void workersLimited(unsigned wanted, unsigned allowed) override {
        workerLimits.push_back(std::to_string(wanted) + ">" + std::to_string(allowed));
    }
};

} // namespace kelvara::test
