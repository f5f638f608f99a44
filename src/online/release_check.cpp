// The built-in release key and the checks of downloaded files against it.
#include "online/release_check.h"

#include "online/http_client.h"

#include <QEventLoop>
#include <QFile>

namespace kelvara {

namespace {
std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}
} // namespace

std::optional<signature::PublicKey> builtInReleaseKey() {
    constexpr std::string_view configured = KELVARA_UPDATE_PUBLIC_KEY;
    if (configured.empty())
        return std::nullopt;
    // A key the build was given but that cannot be read fails closed: an all-zero key verifies nothing.
    static const signature::PublicKey key = signature::parsePublicKey(configured).value_or(signature::PublicKey{});
    return key;
}

QUrl signatureUrl(const QUrl& url) {
    QUrl signature = url;
    signature.setPath(url.path() + QStringLiteral(".minisig"));
    return signature;
}

QByteArray fetchSignature(HttpClient& client, const QUrl& url) {
    QEventLoop loop;
    QByteArray body;
    bool finished = false;
    client.fetch(
        signatureUrl(url), &loop,
        [&](const HttpResult& result) {
            if (result.ok())
                body = result.body;
            finished = true;
            loop.quit();
        },
        static_cast<qint64>(signature::maxSignatureFileBytes));
    if (!finished)
        loop.exec();
    return body;
}

bool isSignedFile(const signature::PublicKey& key, const QByteArray& signatureText, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    signature::Verifier verifier(key, view(signatureText));
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(256 * 1024);
        if (chunk.isEmpty() && file.error() != QFileDevice::NoError)
            return false;
        verifier.update(view(chunk));
    }
    return file.error() == QFileDevice::NoError && verifier.finish() == signature::Verdict::valid;
}

bool isSigned(const signature::PublicKey& key, const QByteArray& signatureText, const QByteArray& bytes) {
    return signature::verify(key, view(signatureText), view(bytes)) == signature::Verdict::valid;
}

} // namespace kelvara
