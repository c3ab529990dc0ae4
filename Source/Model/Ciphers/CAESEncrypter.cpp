#include "CAESEncrypter.h"

#include "CRijndael.h"
#include "CipherBuffer.h"

#include <cstring>
#include <stdexcept>

namespace {

constexpr int kBlock = 24;

void keyCipher(CRijndael& cipher, const char* keyText)
{
    if (!keyText)
        throw std::invalid_argument("attachment cipher: no pass key");
    char key[kBlock + 1] = {};
    std::strncpy(key, keyText, kBlock);
    cipher.MakeKey(key, CRijndael::sm_chain0, kBlock, kBlock);
}

} // namespace

CAESEncrypter::CAESEncrypter() = default;
CAESEncrypter::~CAESEncrypter() = default;

char* CAESEncrypter::Encrypt(const unsigned char* keyText, const void* in, int* len)
{
    if (!in || !len || *len <= 0)
        return nullptr;
    const int n = *len;
    const int L = CipherBuffer::paddedLength(n, kBlock);
    CRijndael cipher;
    keyCipher(cipher, reinterpret_cast<const char*>(keyText));
    CipherBuffer work(L);
    std::memcpy(work.data(), in, n);
    CipherBuffer result(L);
    cipher.Encrypt(work.data(), result.data(), L, CRijndael::ECB);
    *len = L;
    return result.release();
}

char* CAESEncrypter::Decrypt(const char* keyText, const void* in, int n)
{
    if (n <= 0 || n % kBlock != 0)
        throw std::invalid_argument("attachment cipher: data length must be a non-zero multiple of 24");
    CRijndael cipher;
    keyCipher(cipher, keyText);
    CipherBuffer result(n);
    cipher.Decrypt(static_cast<const char*>(in), result.data(), n, CRijndael::ECB);
    return result.release();
}
