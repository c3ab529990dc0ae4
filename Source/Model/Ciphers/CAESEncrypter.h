#pragma once

// The attachment cipher: Rijndael with a 24-byte key and a 24-byte block (12 rounds) in ECB
// with zero padding, keyed per call. The key is at most 24 bytes of the key text, zero-padded
// (a 16-character pass key gives those 16 bytes and 8 zero bytes). Stateless: any thread.
//
// No plaintext length is kept: Decrypt returns all n deciphered bytes, padding included.
// Failures reach the caller as exceptions. Results are malloc buffers owned by the caller.
class CAESEncrypter {
public:
    CAESEncrypter();
    ~CAESEncrypter();

    // Null when in is null or *len is not positive (*len unchanged); otherwise *len becomes the
    // padded length L and the result holds L bytes and a terminating zero byte.
    char* Encrypt(const unsigned char* keyText, const void* in, int* len);

    // n must be a non-zero multiple of 24 (else it throws); the result holds n + 1 bytes.
    char* Decrypt(const char* keyText, const void* in, int n);
};
