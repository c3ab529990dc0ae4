#pragma once

#include "Model/vRX/Blowfish.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Enciphers and deciphers the attachment side files of vRX version 4.0 packages with Blowfish
// (ECB over the data zero-padded to whole blocks). Deciphering cannot remove that padding: the
// format keeps no length, so up to 7 trailing zero bytes come back with the data.
class OTVFileCrypter {
public:
    OTVFileCrypter();                                  // no key: every operation refuses
    explicit OTVFileCrypter(const QString& password);
    explicit OTVFileCrypter(const BLOWFISH_CTX& context);
    ~OTVFileCrypter();

    OTVFileCrypter(const OTVFileCrypter&) = delete;
    OTVFileCrypter& operator=(const OTVFileCrypter&) = delete;

    bool hasKey() const { return mblowfishCntxt_ != nullptr; }

    // In place; the data grows to the next multiple of 8 bytes. False, data unchanged, without key.
    bool encryptData(QByteArray& data) const;
    bool decryptData(QByteArray& data) const;

private:
    bool process(QByteArray& data, bool encrypt) const;

    std::unique_ptr<BLOWFISH_CTX> mblowfishCntxt_;
};
