// Checking downloaded releases against the maker's public key: the key built into the program, the address of
// a file's signature, and the check of a file on disk or of bytes in memory.
#pragma once

#include "signature/release_signature.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

namespace kelvara {

class HttpClient;

// The key the build was given (KELVARA_UPDATE_PUBLIC_KEY), or nothing for a build without one.
std::optional<signature::PublicKey> builtInReleaseKey();

// Where the signature of the file at url lies: ".minisig" appended to the address's path.
QUrl signatureUrl(const QUrl& url);

// Fetches the signature of the file at url and waits for it in a nested event loop; empty on any failure.
QByteArray fetchSignature(HttpClient& client, const QUrl& url);

// Whether the file at path is what signatureText signs with key; read in pieces, so large files are fine.
bool isSignedFile(const signature::PublicKey& key, const QByteArray& signatureText, const QString& path);
// Whether bytes are what signatureText signs with key.
bool isSigned(const signature::PublicKey& key, const QByteArray& signatureText, const QByteArray& bytes);

} // namespace kelvara
