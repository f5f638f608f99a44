// The eye action of a password field and its return to dots when the window is left.
#include "ui/password_reveal.h"

#include <QAction>
#include <QCoreApplication>
#include <QEvent>
#include <QIcon>
#include <QLineEdit>

namespace kelvara {

namespace {
// The translation context of the eye's hints.
struct PasswordReveal {
    Q_DECLARE_TR_FUNCTIONS(kelvara::PasswordReveal)
};

void showPlainText(QLineEdit& field, QAction& eye, bool plain) {
    field.setEchoMode(plain ? QLineEdit::Normal : QLineEdit::Password);
    eye.setIcon(QIcon(plain ? QStringLiteral(":/images/eye_hidden.svg") : QStringLiteral(":/images/eye.svg")));
    eye.setToolTip(plain ? PasswordReveal::tr("Passwort verbergen") : PasswordReveal::tr("Passwort anzeigen"));
}

// Switches the eye off when the window it watches is no longer the active one.
class HideOnDeactivation final : public QObject {
public:
    HideOnDeactivation(QAction& eye, QObject* parent) : QObject(parent), m_eye(eye) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowDeactivate)
            m_eye.setChecked(false);
        return QObject::eventFilter(watched, event);
    }

private:
    QAction& m_eye;
};
} // namespace

QAction* addPasswordReveal(QLineEdit& field) {
    auto* eye = new QAction(&field);
    eye->setObjectName(QStringLiteral("showPassword"));
    eye->setCheckable(true);
    field.addAction(eye, QLineEdit::TrailingPosition);
    showPlainText(field, *eye, false);
    QObject::connect(eye, &QAction::toggled, &field, [&field, eye](bool on) { showPlainText(field, *eye, on); });
    field.window()->installEventFilter(new HideOnDeactivation(*eye, eye));
    return eye;
}

} // namespace kelvara
