// The confirmation dialog's layout.
#include "ui/password_confirm_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWindow>

#include <limits>

namespace kelvara {

namespace {
// The frame the window system draws around a window, as it reports it now; none before the window is framed.
QMargins frameMarginsOf(const QWidget* window) {
    const QWindow* handle = window->windowHandle();
    return handle != nullptr ? handle->frameMargins() : QMargins();
}
} // namespace

PasswordConfirmDialog::PasswordConfirmDialog(const QString& hint, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_repeated(new QLineEdit(this)), m_hint(new QLabel(hint, this)) {
    setObjectName(QStringLiteral("PasswordConfirmDialog"));
    setWindowTitle(tr("Passwort bestätigen"));
    setModal(true);

    auto* prompt = new QLabel(tr("Bitte geben Sie das Passwort zur Bestätigung noch einmal ein:"), this);
    prompt->setWordWrap(true);
    m_repeated->setObjectName(QStringLiteral("repeatedPassword"));
    m_repeated->setEchoMode(QLineEdit::Password);
    m_repeated->setMaxLength(std::numeric_limits<int>::max());
    m_hint->setObjectName(QStringLiteral("passwordHint"));
    m_hint->setWordWrap(true);
    m_hint->setVisible(!hint.isEmpty());
    // A screen reader names the field and reads the prompt and the hint as its description.
    prompt->setBuddy(m_repeated);
    m_repeated->setAccessibleName(tr("Passwort wiederholen"));
    m_repeated->setAccessibleDescription(hint.isEmpty() ? prompt->text() : prompt->text() + QLatin1Char(' ') + hint);
    QPalette warning = m_hint->palette();
    warning.setColor(QPalette::WindowText, QColor(0x9c, 0x3b, 0x00));
    m_hint->setPalette(warning);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(tr("Abbrechen"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(m_repeated);
    layout->addWidget(m_hint);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Wide enough for the hint in a few lines; the height follows the text.
    prompt->setFixedWidth(400);
    m_hint->setFixedWidth(400);
}

QString PasswordConfirmDialog::repeatedPassword() const {
    return m_repeated->text();
}

void PasswordConfirmDialog::setVisible(bool visible) {
    if (visible && !isVisible())
        centreOverOwner();
    QDialog::setVisible(visible);
}

// Qt's own placement guesses the frame of a window not yet shown, which puts the dialog off the owner's middle
// on some platforms. The position given before the first show is the frame's; until the dialog has a frame of
// its own, it is taken to be the owner's.
void PasswordConfirmDialog::centreOverOwner() {
    const QWidget* owner = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
    if (owner == nullptr || !owner->isVisible())
        return;
    layout()->activate();
    const QMargins ownerFrame = frameMarginsOf(owner);
    QMargins frame = frameMarginsOf(this);
    if (frame.isNull())
        frame = ownerFrame;
    const QRect area = owner->geometry().marginsAdded(ownerFrame);
    const QSize outer = size().grownBy(frame);
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

} // namespace kelvara
