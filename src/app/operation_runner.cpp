// Worker thread for the operations, with their messages, questions and progress brought to the UI thread.
#include "app/operation_runner.h"

#include "app/notice_text.h"
#include "ui/application.h"
#include "ui/dialogs.h"
#include "ui/process_window.h"
#include "ui/unexpected_error.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QThread>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <climits>

namespace kelvara {

// The interface handed to the job on the worker thread.
class OperationRunner::WorkerInterface final : public RunInterface {
public:
    WorkerInterface(OperationRunner& runner, QPointer<ProcessWindow> progress, QString fileProgressText)
        : m_runner(runner), m_progress(std::move(progress)), m_fileProgressText(std::move(fileProgressText)) {}

    void notify(const Notice& notice) override { showMessage(noticeText(notice)); }

    void showMessage(const QString& text) override {
        endFileProgress();
        onUiThreadAndWait([this, &text] { m_runner.m_dialogs.message(m_runner.dialogParent(), text); });
    }

    void progressStep(const QString& text, long long position, long long maximum) override {
        if (!m_begun || text != m_text || maximum != m_requestedMaximum)
            begin(text, maximum);
        progressPosition(position);
    }

    bool confirmFolderRun(Direction direction, const std::filesystem::path& source,
                          const std::filesystem::path& target) override {
        endFileProgress();
        const QString question = folderQuestionText(direction == Direction::decrypt, source, target);
        bool yes = false;
        onUiThreadAndWait(
            [this, &question, &yes] { yes = m_runner.m_dialogs.question(m_runner.dialogParent(), question); });
        return yes;
    }

    void progressBegin(ProgressPhase phase, long long maximum) override { begin(phaseText(phase), maximum); }

    void progressPosition(long long position) override {
        if (!m_begun)
            return;
        const long long scaled = std::clamp(position / m_divisor, 0LL, m_maximum);
        // Byte counts move in small steps: pass on only visible changes (and every step of a short count).
        const long long step = std::max(1LL, m_maximum / 1000);
        if (scaled != m_maximum && scaled - m_lastShown < step && scaled >= m_lastShown)
            return;
        m_lastShown = scaled;
        const int bar = static_cast<int>(scaled);
        onUiThread([progress = m_progress, bar] {
            if (progress != nullptr)
                progress->setPosition(bar);
        });
    }

    void progressEnd() override {
        if (!m_begun)
            return;
        m_begun = false;
        onUiThread([progress = m_progress] {
            if (progress != nullptr)
                progress->close();
        });
    }

    // A single big file shows its bytes; the files of a folder run do not disturb the run's own phases.
    void fileProgress(std::uint64_t done, std::uint64_t total) override {
        if (m_fileProgressText.isEmpty() || total <= fileProgressThreshold)
            return;
        if (!m_begun)
            begin(m_fileProgressText, static_cast<long long>(total));
        progressPosition(static_cast<long long>(done));
        // The file is through: the window goes before the routine's closing message appears.
        if (done >= total)
            progressEnd();
    }

private:
    // A message during a single file's run comes when the file is through or has failed: the bar goes first,
    // also where its count never reaches the total (decryption writes the check block less than it reads).
    void endFileProgress() {
        if (!m_fileProgressText.isEmpty())
            progressEnd();
    }

    void begin(const QString& text, long long maximum) {
        m_text = text;
        m_requestedMaximum = maximum;
        // The bar counts in int: large byte counts are scaled down to fit.
        m_divisor = 1;
        while (maximum / m_divisor > INT_MAX)
            m_divisor *= 2;
        m_maximum = std::max(0LL, maximum / m_divisor);
        m_lastShown = 0;
        m_begun = true;
        const int bar = static_cast<int>(m_maximum);
        onUiThread([progress = m_progress, text, bar] {
            if (progress == nullptr)
                return;
            progress->setText(text);
            progress->setMaximum(bar);
            progress->setPosition(0);
            progress->showCentred();
        });
    }

    // Queued calls must not refer to this object: it ends with the job, possibly before they run.
    template <typename F> void onUiThread(F&& function) {
        QMetaObject::invokeMethod(&m_runner, std::forward<F>(function), Qt::QueuedConnection);
    }

    // Qt's semaphore already orders what the function did before what follows the call; the atomic says so
    // in a form ThreadSanitizer can see, which the semaphore (a futex inside Qt) is not.
    template <typename F> void onUiThreadAndWait(F&& function) {
        std::atomic<bool> done{false};
        QMetaObject::invokeMethod(
            &m_runner,
            [&function, &done] {
                function();
                done.store(true, std::memory_order_release);
            },
            Qt::BlockingQueuedConnection);
        static_cast<void>(done.load(std::memory_order_acquire));
    }

    OperationRunner& m_runner;
    QPointer<ProcessWindow> m_progress; // dereferenced only on the user-interface thread
    QString m_fileProgressText;
    QString m_text;                   // the progress window's line
    long long m_requestedMaximum = 0; // the bar's maximum before scaling
    bool m_begun = false;
    long long m_divisor = 1;
    long long m_maximum = 0;
    long long m_lastShown = 0;
};

OperationRunner::OperationRunner(QWidget& window, Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_window(window), m_dialogs(dialogs) {}

OperationRunner::~OperationRunner() {
    waitForIdle();
}

bool OperationRunner::start(std::function<void(RunInterface&)> job, const QString& fileProgressText) {
    if (isBusy())
        return false;
    m_failure.clear();
    m_thread = QThread::create([this, job = std::move(job), progress = m_progress, fileProgressText] {
        WorkerInterface ui(*this, progress, fileProgressText);
        try {
            job(ui);
        } catch (...) {
            // Read by finish() only after the thread has been waited for.
            m_failure = describeCurrentException();
        }
        ui.progressEnd();
    });
    connect(m_thread, &QThread::finished, this, &OperationRunner::finish);
    qApp->installEventFilter(this);
    m_thread->start();
    return true;
}

void OperationRunner::finish() {
    if (m_thread == nullptr)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    qApp->removeEventFilter(this);
    if (!m_failure.isEmpty()) {
        // What was written before the error stays; the progress window does not stay open over a dead run.
        if (m_progress != nullptr)
            m_progress->close();
        reportUnexpectedError(std::exchange(m_failure, QString()));
    }
    emit operationFinished();
}

void OperationRunner::waitForIdle() {
    while (isBusy())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
}

// A message during a phase sits over the progress window (which stays on top), else over the main window.
QWidget* OperationRunner::dialogParent() const {
    if (m_progress != nullptr && m_progress->isVisible())
        return m_progress;
    return &m_window;
}

bool OperationRunner::belongsToWindow(QObject* object) const {
    // A shortcut's event goes to its action: it belongs to the window when the action sits on one of its widgets.
    if (const auto* action = qobject_cast<QAction*>(object)) {
        const QList<QObject*> owners = action->associatedObjects();
        return std::any_of(owners.cbegin(), owners.cend(), [this](QObject* owner) { return belongsToWindow(owner); });
    }
    if (!object->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(object);
    return widget == &m_window || widget->window() == &m_window;
}

// During a run the window is blocked as by a modal run: no clicks, keys, drops or closing; it still paints.
bool OperationRunner::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return belongsToWindow(watched);
    case QEvent::Close:
        if (watched == &m_window) {
            event->ignore();
            return true;
        }
        return false;
    default:
        return false;
    }
}

} // namespace kelvara
