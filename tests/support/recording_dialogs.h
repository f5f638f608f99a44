// A Dialogs seam for tests: records every call and answers from queues filled in advance.
#pragma once

#include "ui/desktop.h"
#include "ui/dialogs.h"

#include <QQueue>
#include <QStringList>

namespace kelvara::test {

class RecordingDialogs final : public Dialogs {
public:
    struct Message {
        QString text;
        QString caption;
        Icon icon;
    };

    QList<Message> messages;
    QStringList questions;                       // texts of the questions asked
    QStringList questionCaptions;                // their captions
    QList<QWidget*> questionParents;             // their owners (null: none)
    QStringList folderTitles;                    // titles of the folder pickers shown
    QList<QPair<QString, QString>> saveRequests; // proposed name, default suffix

    QQueue<bool> questionAnswers;         // empty: answer No
    QQueue<QString> openAnswers;          // empty: cancel
    QQueue<QString> saveAnswers;          // empty: cancel
    QQueue<QString> folderAnswers;        // empty: cancel
    QQueue<QString> passwordAnswers;      // empty: Abbrechen
    QQueue<QString> repeatAnswers;        // "Passwort bestätigen"; empty: Abbrechen
    QStringList repeatHints;              // the hint of each confirmation asked
    QStringList replaceQuestions;         // texts of the replace questions asked
    QQueue<ReplaceAnswer> replaceAnswers; // empty: Abbrechen
    int openRequests = 0;
    int passwordRequests = 0;
    QString nextFolder; // where the next file dialog was told to start

    void message(QWidget*, const QString& text, const QString& caption, Icon icon) override {
        messages.append({text, caption, icon});
    }
    bool question(QWidget* parent, const QString& text, const QString& caption) override {
        questions.append(text);
        questionParents.append(parent);
        questionCaptions.append(caption);
        return questionAnswers.isEmpty() ? false : questionAnswers.dequeue();
    }
    QString openFileName(QWidget*) override {
        ++openRequests;
        return openAnswers.isEmpty() ? QString() : openAnswers.dequeue();
    }
    QString saveFileName(QWidget*, const QString& proposedName, const QString& defaultSuffix) override {
        saveRequests.append({proposedName, defaultSuffix});
        return saveAnswers.isEmpty() ? QString() : saveAnswers.dequeue();
    }
    QString folderName(QWidget*, const QString& title) override {
        folderTitles.append(title);
        return folderAnswers.isEmpty() ? QString() : folderAnswers.dequeue();
    }

    void setNextFolder(const QString& folder) override { nextFolder = folder; }

    std::optional<QString> password(QWidget*) override {
        ++passwordRequests;
        if (passwordAnswers.isEmpty())
            return std::nullopt;
        return passwordAnswers.dequeue();
    }

    std::optional<QString> repeatPassword(QWidget*, const QString& hint) override {
        repeatHints.append(hint);
        if (repeatAnswers.isEmpty())
            return std::nullopt;
        return repeatAnswers.dequeue();
    }

    ReplaceAnswer replaceQuestion(QWidget*, const QString& text) override {
        replaceQuestions.append(text);
        return replaceAnswers.isEmpty() ? ReplaceAnswer::cancel : replaceAnswers.dequeue();
    }

    QStringList messageTexts() const {
        QStringList texts;
        for (const auto& m : messages)
            texts.append(m.text);
        return texts;
    }
};

// A Desktop seam for tests: records what would have been opened.
class RecordingDesktop final : public Desktop {
public:
    QList<QUrl> opened;
    bool result = true;
    bool open(const QUrl& url) override {
        opened.append(url);
        return result;
    }
};

} // namespace kelvara::test
