#include "CDBEncrypter.h"

#include "CipherBuffer.h"

#include <openssl/evp.h>

#include <cstring>
#include <exception>

namespace {

constexpr int kBlock = 16;
constexpr char kKeyPad = ' ';

struct ContextDeleter {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
using Context = std::unique_ptr<EVP_CIPHER_CTX, ContextDeleter>;

// ECB without libcrypto's own padding: the values are zero-padded to whole blocks here.
Context makeContext(const unsigned char* key, bool encrypt)
{
    Context context(EVP_CIPHER_CTX_new());
    if (!context || EVP_CipherInit_ex(context.get(), EVP_aes_128_ecb(), nullptr, key, nullptr, encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1)
        return nullptr;
    return context;
}

// n bytes, whole blocks: with padding off and nothing held back, ECB writes exactly n bytes.
bool run(EVP_CIPHER_CTX* context, const void* in, int n, void* out)
{
    int written = 0;
    return EVP_CipherUpdate(context, static_cast<unsigned char*>(out), &written, static_cast<const unsigned char*>(in),
                            n) == 1 &&
           written == n;
}

} // namespace

struct CDBEncrypter::Contexts {
    Context encrypt;
    Context decrypt;
};

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
    contexts_.reset();
    char key[kBlock + 1] = {};
    std::strncpy(key, keyText, kBlock);
    for (std::size_t i = std::strlen(key); i < kBlock; ++i)
        key[i] = kKeyPad;
    try {
        MakeKey(key, sm_chain0, kBlock, kBlock);
    } catch (const std::exception&) {
        return 0;
    }
    auto contexts = std::make_unique<Contexts>();
    const auto* keyBytes = reinterpret_cast<const unsigned char*>(key);
    contexts->encrypt = makeContext(keyBytes, true);
    contexts->decrypt = makeContext(keyBytes, false);
    if (!contexts->encrypt || !contexts->decrypt)
        return 0;
    contexts_ = std::move(contexts);
    return 1;
}

char* CDBEncrypter::Encrypt(const char* in, int* len)
{
    const int n = (len && *len > 0) ? *len : 0;
    const int L = CipherBuffer::paddedLength(n, kBlock);
    if (len)
        *len = L;
    CipherBuffer result(L);
    if (in && L > 0 && contexts_) {
        // Whole blocks straight from the input; the last, partial block through a zero-padded copy.
        const int whole = n / kBlock * kBlock;
        bool done = whole == 0 || run(contexts_->encrypt.get(), in, whole, result.data());
        if (done && whole < L) {
            char last[kBlock] = {};
            std::memcpy(last, in + whole, size_t(n - whole));
            done = run(contexts_->encrypt.get(), last, kBlock, result.data() + whole);
        }
        if (!done)
            result.clear();
    }
    return result.release();
}

char* CDBEncrypter::Decrypt(const void* in, int n)
{
    if (n < 0)
        n = 0;
    CipherBuffer result(n);
    if (in && n > 0 && !decryptInto(in, n, result.data()))
        result.clear();
    return result.release();
}

bool CDBEncrypter::decryptInto(const void* in, int n, char* out)
{
    if (!contexts_ || n <= 0 || n % kBlock != 0)
        return false;
    return run(contexts_->decrypt.get(), in, n, out);
}
