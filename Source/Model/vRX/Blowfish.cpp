#include "Model/vRX/Blowfish.h"

#include "Model/vRX/BlowfishTables.h"

#include <cstring>
#include <utility>

namespace {

constexpr int kRounds = 16;
constexpr size_t kBlockSize = 8;

uint32_t F(const BLOWFISH_CTX* ctx, uint32_t x)
{
    const uint32_t a = (x >> 24) & 0xFF;
    const uint32_t b = (x >> 16) & 0xFF;
    const uint32_t c = (x >> 8) & 0xFF;
    const uint32_t d = x & 0xFF;
    return ((ctx->S[0][a] + ctx->S[1][b]) ^ ctx->S[2][c]) + ctx->S[3][d];
}

void EncryptHalves(const BLOWFISH_CTX* ctx, uint32_t& left, uint32_t& right)
{
    uint32_t l = left;
    uint32_t r = right;
    for (int i = 0; i < kRounds; ++i) {
        l ^= ctx->P[i];
        r ^= F(ctx, l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= ctx->P[kRounds];
    l ^= ctx->P[kRounds + 1];
    left = l;
    right = r;
}

void DecryptHalves(const BLOWFISH_CTX* ctx, uint32_t& left, uint32_t& right)
{
    uint32_t l = left;
    uint32_t r = right;
    for (int i = kRounds + 1; i > 1; --i) {
        l ^= ctx->P[i];
        r ^= F(ctx, l);
        std::swap(l, r);
    }
    std::swap(l, r);
    r ^= ctx->P[1];
    l ^= ctx->P[0];
    left = l;
    right = r;
}

void ProcessHalves(const BLOWFISH_CTX* ctx, const uint32_t in[2], uint32_t out[2], bool encrypt)
{
    uint32_t left = in[0];
    uint32_t right = in[1];
    if (encrypt)
        EncryptHalves(ctx, left, right);
    else
        DecryptHalves(ctx, left, right);
    out[0] = left;
    out[1] = right;
}

// Byte-wise, so that neither the processor's byte order nor the buffer's alignment matters.
uint32_t LoadBigEndian(const unsigned char* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

void StoreBigEndian(uint32_t value, unsigned char* p)
{
    p[0] = static_cast<unsigned char>(value >> 24);
    p[1] = static_cast<unsigned char>(value >> 16);
    p[2] = static_cast<unsigned char>(value >> 8);
    p[3] = static_cast<unsigned char>(value);
}

void ProcessBlocks(const BLOWFISH_CTX* ctx, const void* source, void* destination, size_t length, bool encrypt)
{
    const auto* in = static_cast<const unsigned char*>(source);
    auto* out = static_cast<unsigned char*>(destination);
    for (size_t offset = 0; length - offset >= kBlockSize; offset += kBlockSize) {
        uint32_t left = LoadBigEndian(in + offset);
        uint32_t right = LoadBigEndian(in + offset + 4);
        if (encrypt)
            EncryptHalves(ctx, left, right);
        else
            DecryptHalves(ctx, left, right);
        StoreBigEndian(left, out + offset);
        StoreBigEndian(right, out + offset + 4);
    }
}

} // namespace

void Blowfish_Init(BLOWFISH_CTX* ctx, const unsigned char* key, size_t keyLength)
{
    std::memcpy(ctx->S, ORIG_S, sizeof ctx->S);

    const unsigned char noKey = 0;
    if (key == nullptr)
        key = &noKey;
    // The P-array takes 72 key bytes, so later ones never count; a zero length cycles over the
    // first byte.
    const size_t usedLength = keyLength == 0 ? 1 : keyLength;
    size_t j = 0;
    for (int i = 0; i < kRounds + 2; ++i) {
        uint32_t data = 0;
        for (int k = 0; k < 4; ++k) {
            data = (data << 8) | key[j];
            j = (j + 1) % usedLength;
        }
        ctx->P[i] = ORIG_P[i] ^ data;
    }

    uint32_t left = 0;
    uint32_t right = 0;
    for (int i = 0; i < kRounds + 2; i += 2) {
        EncryptHalves(ctx, left, right);
        ctx->P[i] = left;
        ctx->P[i + 1] = right;
    }
    for (auto& box : ctx->S) {
        for (int i = 0; i < 256; i += 2) {
            EncryptHalves(ctx, left, right);
            box[i] = left;
            box[i + 1] = right;
        }
    }
}

void Blowfish_Encrypt(const BLOWFISH_CTX* ctx, const uint32_t in[2], uint32_t out[2])
{
    ProcessHalves(ctx, in, out, true);
}

void Blowfish_Decrypt(const BLOWFISH_CTX* ctx, const uint32_t in[2], uint32_t out[2])
{
    ProcessHalves(ctx, in, out, false);
}

void BlowfishEncryptToBuffer(const BLOWFISH_CTX* ctx, const void* source, void* destination, size_t length)
{
    ProcessBlocks(ctx, source, destination, length, true);
}

void BlowfishDecryptToBuffer(const BLOWFISH_CTX* ctx, const void* source, void* destination, size_t length)
{
    ProcessBlocks(ctx, source, destination, length, false);
}

void Blowfish(const BLOWFISH_CTX* ctx, void* buffer, size_t length, bool encrypt)
{
    ProcessBlocks(ctx, buffer, buffer, length, encrypt);
}
