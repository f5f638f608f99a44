// The command-line tool's exit statuses and how a routine's result maps onto them.
#pragma once

#include "operations/file_routines.h"

namespace kelvara::cli {

enum ExitStatus : int {
    exitSuccess = 0,
    exitUsage = 1,
    exitWrongPassword = 2,
    exitInputOutput = 3,
};

inline int exitStatusOf(FileResult result) {
    switch (result) {
    case FileResult::success:
        return exitSuccess;
    case FileResult::wrongPassword:
        return exitWrongPassword;
    case FileResult::inputError:
    case FileResult::outputError:
        return exitInputOutput;
    }
    return exitInputOutput;
}

} // namespace kelvara::cli
