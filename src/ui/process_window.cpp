// Progress window: fixed 324 × 61 tool window without a close button, staying on top of the main window.
#include "ui/process_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>
#include <QWindow>

#include <algorithm>

namespace kelvara {

namespace {
constexpr int labelWidth = 305;
constexpr int labelMinimumHeight = 16;

// The frame the window system draws around a window, as it reports it now; none before the window is framed.
QMargins frameMarginsOf(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}
} // namespace

ProcessWindow::ProcessWindow(QWidget* centreOver)
    : QWidget(centreOver, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      m_centreOver(centreOver), m_phaseLabel(new QLabel(this)), m_progressBar(new QProgressBar(this)) {
    setObjectName(QStringLiteral("process"));
    setWindowTitle(tr("process"));
    setFixedSize(324, 61);
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);

    m_phaseLabel->setObjectName(QStringLiteral("Label1"));
    QFont labelFont(QStringLiteral("Verdana"), 10);
    labelFont.setBold(true);
    m_phaseLabel->setFont(labelFont);
    m_phaseLabel->setWordWrap(true);
    m_phaseLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_phaseLabel->setForegroundRole(QPalette::WindowText);
    m_phaseLabel->setGeometry(8, 4, labelWidth, labelMinimumHeight);
    setText(QStringLiteral("Kelvara"));

    m_progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    m_progressBar->setGeometry(8, 22, 309, 17);
    m_progressBar->setTextVisible(false);
    // The caption "process" means little to a screen reader's user.
    setAccessibleName(tr("Kelvara arbeitet"));
    m_progressBar->setAccessibleName(tr("Fortschritt"));
    updateBar();
}

void ProcessWindow::setText(const QString& text) {
    m_phaseLabel->setText(text);
    // Long text wraps onto further lines and the label grows downwards.
    m_phaseLabel->resize(labelWidth, std::max(labelMinimumHeight, m_phaseLabel->heightForWidth(labelWidth)));
}

QString ProcessWindow::text() const {
    return m_phaseLabel->text();
}

void ProcessWindow::setMaximum(int maximum) {
    m_maximum = std::max(0, maximum);
    m_position = std::min(m_position, m_maximum);
    updateBar();
}

int ProcessWindow::maximum() const {
    return m_maximum;
}

void ProcessWindow::setPosition(int position) {
    m_position = std::clamp(position, 0, m_maximum);
    updateBar();
}

int ProcessWindow::position() const {
    return m_position;
}

// A bar whose range is 0..0 would show Qt's busy animation; an empty range is shown as an empty bar instead.
void ProcessWindow::updateBar() {
    m_progressBar->setRange(0, std::max(1, m_maximum));
    m_progressBar->setValue(m_maximum == 0 ? 0 : m_position);
}

void ProcessWindow::showCentred() {
    centre();
    show();
    raise();
}

// Positions the frame so that it is centred over the main window's frame. Before its first show the window
// has no frame yet: its size is taken to grow by the main window's frame, which is of the same kind, and the
// position given to a window not yet created is the one its frame gets.
void ProcessWindow::centre() {
    QMargins margins = frameMarginsOf(this);
    QRect area;
    if (m_centreOver != nullptr && m_centreOver->isVisible()) {
        const QMargins mainMargins = frameMarginsOf(m_centreOver);
        area = m_centreOver->geometry().marginsAdded(mainMargins);
        if (margins.isNull())
            margins = mainMargins;
    } else if (screen() != nullptr) {
        area = screen()->availableGeometry();
    }
    const QSize frame = size().grownBy(margins);
    if (area.isValid())
        move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

} // namespace kelvara
