#pragma once

#include <cstddef>
#include <cstdint>

// Blowfish (64-bit block, 16 rounds) in ECB mode: the cipher of password-protected vRX files and
// of version 4.0 attachment side files. An 8-byte block is two 32-bit halves, bytes 0-3 and 4-7,
// each big-endian whatever the processor. The output is fixed by the files other copies of the
// program read and write, weaknesses (ECB, known plaintext check) included.
struct BLOWFISH_CTX {
    uint32_t P[18];
    uint32_t S[4][256];
};

// The standard key schedule. Key bytes past the first 72 have no effect; with keyLength 0 the
// first key byte is used throughout (a NUL when key is null).
void Blowfish_Init(BLOWFISH_CTX* ctx, const unsigned char* key, size_t keyLength);

// One block given as its two halves; in and out may be the same pair.
void Blowfish_Encrypt(const BLOWFISH_CTX* ctx, const uint32_t in[2], uint32_t out[2]);
void Blowfish_Decrypt(const BLOWFISH_CTX* ctx, const uint32_t in[2], uint32_t out[2]);

// ECB over the whole blocks of length bytes; the 1 to 7 bytes after the last whole block are
// neither processed nor copied. source and destination may be the same buffer; neither needs
// to be aligned.
void BlowfishEncryptToBuffer(const BLOWFISH_CTX* ctx, const void* source, void* destination, size_t length);
void BlowfishDecryptToBuffer(const BLOWFISH_CTX* ctx, const void* source, void* destination, size_t length);

// ECB in place over the whole blocks of length bytes.
void Blowfish(const BLOWFISH_CTX* ctx, void* buffer, size_t length, bool encrypt);
