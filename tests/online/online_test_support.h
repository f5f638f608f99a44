// Shared set-up of the online tests: settings and files in temporary folders, unexpected errors recorded.
#pragma once

#include "ui/app_paths.h"
#include "ui/unexpected_error.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>

namespace kelvara::test {

// Points QSettings and the writable folder at fresh temporary folders, and records unexpected errors.
class OnlineSandbox {
public:
    OnlineSandbox() {
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(settingsFolder());
        QDir().mkpath(filesFolder());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder());
        appPaths::setWritableFolderOverride(filesFolder());
        setUnexpectedErrorSink([this](const QString& description) { errors.append(description); });
    }
    ~OnlineSandbox() {
        setUnexpectedErrorSink({});
        appPaths::setWritableFolderOverride({});
    }
    OnlineSandbox(const OnlineSandbox&) = delete;
    OnlineSandbox& operator=(const OnlineSandbox&) = delete;

    QString settingsFolder() const { return m_root.filePath(QStringLiteral("config")); }
    QString filesFolder() const { return m_root.filePath(QStringLiteral("files")); }
    // A folder that can never be created: its parent is a plain file.
    QString impossibleFolder() const {
        QFile blocker(m_root.filePath(QStringLiteral("blocker")));
        blocker.open(QIODevice::WriteOnly);
        return blocker.fileName() + QStringLiteral("/inside");
    }
    QStringList filesIn(const QString& folder) const {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QStringList errors;

private:
    QTemporaryDir m_root;
};

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace kelvara::test
