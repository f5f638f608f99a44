// Runs a file or folder operation off the user-interface thread while the window stays painted but takes no input.
#pragma once

#include "operations/user_interface.h"
#include "ui/process_window.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QThread;
class QWidget;

namespace kelvara {

class Dialogs;

// What a job of the window is given: the operations' interface, plus a progress line and a message in the
// window's own words.
class RunInterface : public UserInterface {
public:
    // Shows the progress window with text over a bar at position of 0..maximum.
    virtual void progressStep(const QString& text, long long position, long long maximum) = 0;
    // A message box with the text; returns once it is acknowledged.
    virtual void showMessage(const QString& text) = 0;
};

class OperationRunner : public QObject {
    Q_OBJECT

public:
    // window: the window blocked during a run and parent of the messages; progress: where progress is shown.
    OperationRunner(QWidget& window, Dialogs& dialogs, QObject* parent = nullptr);
    ~OperationRunner() override;

    void setProgressWindow(ProcessWindow* progress) { m_progress = progress; }

    // A single file bigger than this shows the progress window (in bytes) while it is processed.
    static constexpr unsigned long long fileProgressThreshold = 4ULL * 1024 * 1024;

    // Starts job on a worker thread. The job talks to the user only through the RunInterface it is given:
    // messages and questions are shown on the user-interface thread and wait for the answer; the phases of a
    // folder run go to the progress window, and so does a big single file under fileProgressText (empty: not).
    // Returns false (and starts nothing) while a run is going on.
    bool start(std::function<void(RunInterface&)> job, const QString& fileProgressText = {});

    bool isBusy() const { return m_thread != nullptr; }

    // Processes events until no run is going on (the program's shutdown and tests use it).
    void waitForIdle();

signals:
    // A run has ended and the window takes input again.
    void operationFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class WorkerInterface;

    void finish();
    bool belongsToWindow(QObject* object) const;
    QWidget* dialogParent() const;

    QWidget& m_window;
    Dialogs& m_dialogs;
    QPointer<ProcessWindow> m_progress;
    QThread* m_thread = nullptr;
    QString m_failure; // an error that escaped the job; reported when the run has ended
};

} // namespace kelvara
