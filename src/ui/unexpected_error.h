// The program's handler of unexpected errors: errors no handler catches end up here.
#pragma once

#include <QString>

#include <functional>

namespace kelvara {

// Reports an error that no handler caught: a window where the user can continue or close the program;
// the report is also saved as "bugreport.txt" in the user's data folder. Callable from any thread.
void reportUnexpectedError(const QString& description);

// For tests: receive the reports instead of showing the window (an empty function restores the window).
void setUnexpectedErrorSink(std::function<void(const QString&)> sink);

// Where the last report is saved: "bugreport.txt" in the per-user data folder.
QString bugReportPath();

// The text saved for a report: time, program version and the error's description.
QString bugReportText(const QString& description);

// Object names of the report window's buttons, for tests that drive the window.
inline constexpr const char* continueButtonName = "continueButton";
inline constexpr const char* quitButtonName = "quitButton";

} // namespace kelvara
