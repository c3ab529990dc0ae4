// The stored-value cipher on the sizes the vault stores (16 to 256 bytes), beside OpenSSL's
// AES-128-ECB on the same bytes with the same key (a context made once, no allocation): the
// floor the cipher can reach. The table-driven Rijndael is measured too, for comparison.
#include "Model/Ciphers/CDBEncrypter.h"

#include <benchmark/benchmark.h>

#include <openssl/evp.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

const char kKey[] = "0123456789abcdef";

std::string plaintext(std::size_t n)
{
    std::string text(n, '\0');
    for (std::size_t i = 0; i < n; ++i)
        text[i] = static_cast<char>('a' + i % 26);
    return text;
}

} // namespace

static void BM_DBEncrypterEncrypt(benchmark::State& state)
{
    CDBEncrypter cipher(kKey);
    const std::string text = plaintext(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        int len = static_cast<int>(text.size());
        char* out = cipher.Encrypt(text.data(), &len);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DBEncrypterEncrypt)->Arg(16)->Arg(32)->Arg(64)->Arg(128)->Arg(256);

static void BM_DBEncrypterDecrypt(benchmark::State& state)
{
    CDBEncrypter cipher(kKey);
    const std::string text = plaintext(static_cast<std::size_t>(state.range(0)));
    int len = static_cast<int>(text.size());
    char* stored = cipher.Encrypt(text.data(), &len);
    for (auto _ : state) {
        char* out = cipher.Decrypt(stored, len);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    std::free(stored);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DBEncrypterDecrypt)->Arg(16)->Arg(32)->Arg(64)->Arg(128)->Arg(256);

// The raw block cipher without the padded copies and allocations of CDBEncrypter.
static void BM_RijndaelEcb(benchmark::State& state)
{
    CRijndael cipher;
    cipher.MakeKey(kKey, CRijndael::sm_chain0, 16, 16);
    const std::string text = plaintext(static_cast<std::size_t>(state.range(0)));
    std::string out(text.size(), '\0');
    for (auto _ : state) {
        cipher.Encrypt(text.data(), out.data(), text.size(), CRijndael::ECB);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RijndaelEcb)->Arg(16)->Arg(32)->Arg(64)->Arg(128)->Arg(256);

static void openSslAes128Ecb(benchmark::State& state, bool encrypt)
{
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_CipherInit_ex(ctx, EVP_aes_128_ecb(), nullptr, reinterpret_cast<const unsigned char*>(kKey), nullptr,
                      encrypt ? 1 : 0);
    EVP_CIPHER_CTX_set_padding(ctx, 0);
    const std::string text = plaintext(static_cast<std::size_t>(state.range(0)));
    std::string out(text.size() + 16, '\0');
    for (auto _ : state) {
        int outLen = 0;
        EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &outLen,
                         reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
        benchmark::DoNotOptimize(out.data());
    }
    EVP_CIPHER_CTX_free(ctx);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}

static void BM_OpenSslAes128EcbEncrypt(benchmark::State& state)
{
    openSslAes128Ecb(state, true);
}
BENCHMARK(BM_OpenSslAes128EcbEncrypt)->Arg(16)->Arg(32)->Arg(64)->Arg(128)->Arg(256);

static void BM_OpenSslAes128EcbDecrypt(benchmark::State& state)
{
    openSslAes128Ecb(state, false);
}
BENCHMARK(BM_OpenSslAes128EcbDecrypt)->Arg(16)->Arg(32)->Arg(64)->Arg(128)->Arg(256);

// Deciphering into a buffer of the caller's, as the load does.
static void BM_DBEncrypterDecryptInto(benchmark::State& state)
{
    CDBEncrypter cipher(kKey);
    const std::string text = plaintext(static_cast<std::size_t>(state.range(0)));
    int len = static_cast<int>(text.size());
    char* stored = cipher.Encrypt(text.data(), &len);
    std::string out(static_cast<std::size_t>(len), '\0');
    for (auto _ : state) {
        cipher.decryptInto(stored, len, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    std::free(stored);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DBEncrypterDecryptInto)->Arg(16)->Arg(32)->Arg(64)->Arg(128)->Arg(256);
