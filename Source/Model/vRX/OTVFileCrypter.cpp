#include "Model/vRX/OTVFileCrypter.h"

OTVFileCrypter::OTVFileCrypter() = default;

OTVFileCrypter::OTVFileCrypter(const QString& password)
    : mblowfishCntxt_(std::make_unique<BLOWFISH_CTX>())
{
    // The key is the UTF-8 text cut to the password's length in characters, as the files of other
    // copies of the program were made; for the ASCII pass keys of attachments that is every byte.
    const QByteArray key = password.toUtf8();
    Blowfish_Init(mblowfishCntxt_.get(), reinterpret_cast<const unsigned char*>(key.constData()),
                  static_cast<size_t>(password.size()));
}

OTVFileCrypter::OTVFileCrypter(const BLOWFISH_CTX& context)
    : mblowfishCntxt_(std::make_unique<BLOWFISH_CTX>(context))
{
}

OTVFileCrypter::~OTVFileCrypter() = default;

bool OTVFileCrypter::encryptData(QByteArray& data) const
{
    return process(data, true);
}

bool OTVFileCrypter::decryptData(QByteArray& data) const
{
    return process(data, false);
}

bool OTVFileCrypter::process(QByteArray& data, bool encrypt) const
{
    if (!mblowfishCntxt_)
        return false;
    const qsizetype tail = data.size() % 8;
    if (tail != 0)
        data.append(8 - tail, '\0');
    Blowfish(mblowfishCntxt_.get(), data.data(), static_cast<size_t>(data.size()), encrypt);
    return true;
}
