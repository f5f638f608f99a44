// Shared set-up of the online tests: settings and files in temporary folders, unexpected errors recorded.
#pragma once

#include "online/http_client.h"
#include "online/update_location.h"
#include "signature/release_signature.h"
#include "test_server.h"
#include "ui/app_paths.h"
#include "ui/unexpected_error.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <QProcess>

#include <functional>
#include <stdexcept>

namespace kelvara::test {

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Points QSettings, the writable folder and the per-user data folder at fresh temporary folders, and records
// unexpected errors.
class OnlineSandbox {
public:
    OnlineSandbox() {
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(settingsFolder());
        QDir().mkpath(filesFolder());
        QDir().mkpath(dataFolder());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder());
        appPaths::setWritableFolderOverride(filesFolder());
        setUserDataFolderOverride(dataFolder());
        setUnexpectedErrorSink([this](const QString& description) { errors.append(description); });
    }
    ~OnlineSandbox() {
        setUnexpectedErrorSink({});
        appPaths::setWritableFolderOverride({});
        setUserDataFolderOverride({});
    }
    OnlineSandbox(const OnlineSandbox&) = delete;
    OnlineSandbox& operator=(const OnlineSandbox&) = delete;

    QString settingsFolder() const { return m_root.filePath(QStringLiteral("config")); }
    QString filesFolder() const { return m_root.filePath(QStringLiteral("files")); }
    QString dataFolder() const { return m_root.filePath(QStringLiteral("data")); }
    // Where downloaded installers land (outside Windows).
    QString updatesFolder() const { return dataFolder() + QStringLiteral("/updates"); }
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

// Both schemes as rows of a data-driven test; the test makes its server with QFETCH(Scheme, scheme).
inline void addSchemeRows(const char* name, const std::function<void(QTestData&)>& columns = {}) {
    for (const Scheme scheme : {Scheme::http, Scheme::https}) {
        QTestData& row =
            QTest::newRow((QByteArray(name) + (scheme == Scheme::https ? " over https" : " over http")).constData())
            << scheme;
        if (columns)
            columns(row);
    }
}

// A throw-away key pair made by the minisign tool at test time; the tool also signs.
class MinisignKey {
public:
    MinisignKey() {
        if (!run({QStringLiteral("-G"), QStringLiteral("-W"), QStringLiteral("-p"), path("key.pub"),
                  QStringLiteral("-s"), path("key.sec")}))
            throw std::runtime_error("minisign could not make a key pair (scripts/setup.sh installs it)");
        const QByteArray keyFile = readAll(path("key.pub"));
        publicKey =
            signature::parsePublicKey(std::string_view(keyFile.constData(), std::size_t(keyFile.size()))).value();
    }
    // The signature file of content, in the default (prehashed) form or the legacy one.
    QByteArray sign(const QByteArray& content, bool legacy = false) const {
        const QString file = path("signed");
        QFile::remove(file + QStringLiteral(".minisig"));
        QStringList arguments{QStringLiteral("-S"), QStringLiteral("-s"), path("key.sec"), QStringLiteral("-m"), file};
        if (legacy)
            arguments << QStringLiteral("-l");
        if (!writeAll(file, content) || !run(arguments))
            throw std::runtime_error("minisign could not sign");
        return readAll(file + QStringLiteral(".minisig"));
    }

    signature::PublicKey publicKey;

private:
    QString path(const char* name) const { return m_folder.filePath(QString::fromLatin1(name)); }
    static bool run(const QStringList& arguments) {
        QProcess minisign;
        minisign.start(QStringLiteral("minisign"), arguments);
        return minisign.waitForFinished(30000) && minisign.exitStatus() == QProcess::NormalExit &&
               minisign.exitCode() == 0;
    }
    QTemporaryDir m_folder;
};

// A client that trusts the test certificate of https servers.
inline void trustTestCertificate(HttpClient& client) {
    client.addTrustedCertificates(TestCertificate::instance().certificates());
}

} // namespace kelvara::test
