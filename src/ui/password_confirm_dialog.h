// "Passwort bestätigen": asks once more for the password about to be used for encrypting.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace kelvara {

// A small modal dialog with one hidden password field, an optional hint under it, OK and Abbrechen. It does not
// know the password: the caller compares what was typed. Shown over its parent, centred.
class PasswordConfirmDialog : public QDialog {
    Q_OBJECT

public:
    // hint: shown under the field (for a short password); empty: no hint.
    explicit PasswordConfirmDialog(const QString& hint, QWidget* parent = nullptr);

    QString repeatedPassword() const;
    // Centres the frame over the owner's frame before the dialog is shown.
    void setVisible(bool visible) override;

private:
    void centreOverOwner();

    QLineEdit* m_repeated;
    QLabel* m_hint;
};

} // namespace kelvara
