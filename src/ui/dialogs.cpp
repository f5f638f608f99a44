// The real message boxes and file dialogs behind the Dialogs seam.
#include "ui/dialogs.h"

#include "ui/password_confirm_dialog.h"
#include "ui/window_centring.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvara {

namespace {
// The translation context of the dialogs' own texts.
struct QtDialogsText {
    Q_DECLARE_TR_FUNCTIONS(kelvara::QtDialogs)
};

QMessageBox::Icon toQt(Dialogs::Icon icon) {
    switch (icon) {
    case Dialogs::Icon::question:
        return QMessageBox::Question;
    case Dialogs::Icon::warning:
        return QMessageBox::Warning;
    case Dialogs::Icon::critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::information:
        break;
    }
    return QMessageBox::Information;
}

QString captionOrDefault(const QString& caption) {
    return caption.isEmpty() ? QApplication::applicationName() : caption;
}

// The file dialogs open where the last one was left, as the platform's own dialogs do.
QString& lastFolder() {
    static QString folder;
    return folder;
}

QString chosenFile(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString file = dialog.selectedFiles().constFirst();
    lastFolder() = QFileInfo(file).absolutePath();
    return file;
}
} // namespace

void QtDialogs::message(QWidget* parent, const QString& text, const QString& caption, Icon icon) {
    QMessageBox box(toQt(icon), captionOrDefault(caption), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::question(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox box(QMessageBox::Question, captionOrDefault(caption), text, QMessageBox::Yes | QMessageBox::No, parent);
    if (parent != nullptr)
        return box.exec() == QMessageBox::Yes;
    // Without an owner the box waits for its answer in a loop of its own but blocks no window: exec() would make
    // it application-modal. A quit ends the loop too, and then counts as No.
    box.setWindowModality(Qt::NonModal);
    QEventLoop loop;
    QObject::connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    box.show();
    loop.exec();
    return box.clickedButton() == box.button(QMessageBox::Yes);
}

Dialogs::ReplaceAnswer QtDialogs::replaceQuestion(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Question, captionOrDefault({}), text, QMessageBox::NoButton, parent);
    // The texts are set here: Qt's own for "Yes to All" would not say what is done.
    QPushButton* yes = box.addButton(QtDialogsText::tr("Ja"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QtDialogsText::tr("Nein"), QMessageBox::NoRole);
    QPushButton* all = box.addButton(QtDialogsText::tr("Alle ersetzen"), QMessageBox::YesRole);
    QPushButton* cancel = box.addButton(QtDialogsText::tr("Abbrechen"), QMessageBox::RejectRole);
    box.setDefaultButton(no);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == yes)
        return ReplaceAnswer::replace;
    if (box.clickedButton() == no)
        return ReplaceAnswer::keep;
    if (box.clickedButton() == all)
        return ReplaceAnswer::replaceAll;
    return ReplaceAnswer::cancel;
}

QString QtDialogs::openFileName(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!lastFolder().isEmpty())
        dialog.setDirectory(lastFolder());
    return chosenFile(dialog);
}

QString QtDialogs::saveFileName(QWidget* parent, const QString& proposedName, const QString& defaultSuffix) {
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix);
    if (!lastFolder().isEmpty())
        dialog.setDirectory(lastFolder());
    dialog.selectFile(proposedName);
    return chosenFile(dialog);
}

QString QtDialogs::folderName(QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title);
}

void QtDialogs::setNextFolder(const QString& folder) {
    lastFolder() = folder;
}

// A plain dialog of its own: a label, the hidden input and OK/Abbrechen, nothing else that could show through.
std::optional<QString> QtDialogs::password(QWidget* parent) {
    QDialog dialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    dialog.setObjectName(QStringLiteral("PasswordDialog"));
    dialog.setWindowTitle(QApplication::applicationName());
    auto* label = new QLabel(QtDialogsText::tr("Passwort"), &dialog);
    auto* field = new QLineEdit(&dialog);
    field->setEchoMode(QLineEdit::Password);
    label->setBuddy(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    if (parent != nullptr) {
        // Over the window it belongs to, also when that window has only just appeared and is not framed yet.
        QWidget* owner = parent->window();
        dialog.adjustSize();
        centreFrameIn(&dialog, [owner] { return frameOnScreen(owner); });
    }
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return field->text();
}

std::optional<QString> QtDialogs::repeatPassword(QWidget* parent, const QString& hint) {
    PasswordConfirmDialog dialog(hint, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.repeatedPassword();
}

} // namespace kelvara
