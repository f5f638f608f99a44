// Every message box, question and file or folder dialog of the program goes through this seam,
// so that tests can answer in advance and no test waits on a real modal dialog.
#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace kelvara {

class Dialogs {
public:
    enum class Icon { information, question, warning, critical };
    // The answers to whether an existing file is replaced.
    enum class ReplaceAnswer { replace, keep, replaceAll, cancel };

    virtual ~Dialogs() = default;

    // A modal message box with a single OK button. An empty caption means the application's name.
    virtual void message(QWidget* parent, const QString& text, const QString& caption = {},
                         Icon icon = Icon::information) = 0;
    // A Yes/No question; true only for Yes. It returns once answered. With a parent it is modal; without one it
    // has no owner and every window stays usable while it waits.
    virtual bool question(QWidget* parent, const QString& text, const QString& caption = {}) = 0;
    // Open dialog: an existing or typed path, or empty when cancelled.
    virtual QString openFileName(QWidget* parent) = 0;
    // Save dialog with a proposed name, a default suffix (without dot; empty: none) and the overwrite question.
    virtual QString saveFileName(QWidget* parent, const QString& proposedName, const QString& defaultSuffix) = 0;
    // Folder picker with a title; empty when cancelled.
    virtual QString folderName(QWidget* parent, const QString& title) = 0;
    // The folder the next open or save dialog starts in (later ones start where the last was left).
    virtual void setNextFolder(const QString& /*folder*/) {}
    // A small dialog "Passwort" with hidden input and OK/Abbrechen; nothing when cancelled (OK may give an empty
    // password). Seams that never ask for a password answer as cancelled.
    virtual std::optional<QString> password(QWidget* /*parent*/) { return std::nullopt; }
    // "Passwort bestätigen": the password typed once more, with a hint under the field (empty: none); nothing
    // when cancelled. Seams that never ask answer as cancelled, so nothing is encrypted unconfirmed.
    virtual std::optional<QString> repeatPassword(QWidget* /*parent*/, const QString& /*hint*/) { return std::nullopt; }
    // A modal question whether an existing file is replaced, with "Ja", "Nein", "Alle ersetzen" and "Abbrechen".
    virtual ReplaceAnswer replaceQuestion(QWidget* parent, const QString& text) = 0;
};

// The real dialogs (QMessageBox, QFileDialog).
class QtDialogs final : public Dialogs {
public:
    void message(QWidget* parent, const QString& text, const QString& caption, Icon icon) override;
    bool question(QWidget* parent, const QString& text, const QString& caption) override;
    QString openFileName(QWidget* parent) override;
    QString saveFileName(QWidget* parent, const QString& proposedName, const QString& defaultSuffix) override;
    QString folderName(QWidget* parent, const QString& title) override;
    void setNextFolder(const QString& folder) override;
    std::optional<QString> password(QWidget* parent) override;
    std::optional<QString> repeatPassword(QWidget* parent, const QString& hint) override;
    ReplaceAnswer replaceQuestion(QWidget* parent, const QString& text) override;
};

} // namespace kelvara
