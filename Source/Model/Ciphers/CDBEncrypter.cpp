#include "CDBEncrypter.h"

#include "CipherBuffer.h"

#include <cstring>
#include <exception>

namespace {

constexpr int kBlock = 16;
constexpr char kKeyPad = ' ';

} // namespace

CDBEncrypter::CDBEncrypter(const char* keyText)
{
    if (keyText)
        Init(keyText);
}

CDBEncrypter::~CDBEncrypter() = default;

int CDBEncrypter::Init(const char* keyText)
{
    if (!keyText)
        return 0;
    char key[kBlock + 1] = {};
    std::strncpy(key, keyText, kBlock);
    for (std::size_t i = std::strlen(key); i < kBlock; ++i)
        key[i] = kKeyPad;
    try {
        MakeKey(key, sm_chain0, kBlock, kBlock);
    } catch (const std::exception&) {
        return 0;
    }
    return 1;
}

char* CDBEncrypter::Encrypt(const char* in, int* len)
{
    const int n = (len && *len > 0) ? *len : 0;
    const int L = CipherBuffer::paddedLength(n, kBlock);
    if (len)
        *len = L;
    CipherBuffer result(L);
    if (in && L > 0) {
        CipherBuffer work(L);
        std::memcpy(work.data(), in, n);
        try {
            CRijndael::Encrypt(work.data(), result.data(), L, ECB);
        } catch (const std::exception&) {
            result.clear();
        }
    }
    return result.release();
}

char* CDBEncrypter::Decrypt(const void* in, int n)
{
    if (n < 0)
        n = 0;
    CipherBuffer result(n);
    if (in && n > 0) {
        try {
            CRijndael::Decrypt(static_cast<const char*>(in), result.data(), n, ECB);
        } catch (const std::exception&) {
            result.clear();
        }
    }
    return result.release();
}
