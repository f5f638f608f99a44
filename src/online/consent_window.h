// The privacy consent window and the consent check that shows it when no consent is recorded.
#pragma once

#include "online/owner_texts.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace kelvara {

class ConsentStore;
class Dialogs;

class ConsentWindow final : public QDialog {
    Q_OBJECT
public:
    // German source text; tr() shows it in the language chosen at start.
    static constexpr const char* refusalText = QT_TRANSLATE_NOOP(
        "kelvara::ConsentWindow",
        "Für die Überprüfung von Updates und Sicherheitspatches, wird Ihre IpAdresse an unseren Server "
        "übertragen. Ohne diese Updates und Patches ist die Verwendung unserer Freeware nicht sicher und daher "
        "nicht möglich");

    // quit asks the program to end; it is called only after this window has closed.
    ConsentWindow(ConsentStore& store, Dialogs& dialogs, const OwnerTexts& owner, std::function<void()> quit,
                  QWidget* parent = nullptr);

    // Removes a recorded refusal, shows the window modally when no consent is recorded, and asks the program to
    // end when there is still none once the window has closed. True when the program may go on.
    bool checkConsent();

    // The privacy statement with the owner's particulars filled in.
    static QString privacyStatement(const OwnerTexts& owner);

private:
    void acceptStatement();
    void refuseStatement();

    ConsentStore& m_store;
    Dialogs& m_dialogs;
    std::function<void()> m_quit;
    QLabel* m_request;
    QPlainTextEdit* m_statement;
    QWidget* m_buttonBar;
    QPushButton* m_acceptButton;
    QPushButton* m_refuseButton;
};

} // namespace kelvara
