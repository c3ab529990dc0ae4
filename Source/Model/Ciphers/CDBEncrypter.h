#pragma once

#include "CRijndael.h"

#include <memory>

// The stored-value cipher: Rijndael with a 16-byte key and block in ECB, zero padding and no
// initialisation vector, so equal texts give equal bytes (the duplicate-name checks compare
// enciphered bytes on the server). Only the first 16 bytes of the key text count; a shorter text
// is padded with blanks. Copies of the program share the vault, so this must never change.
// This is weak by design and kept for compatibility: equal values are visible as equal, and a
// master password longer than 16 bytes adds nothing to the key.
//
// That cipher is AES-128, which libcrypto computes with the processor's AES instructions: the
// values go through its contexts, made once per key (a load deciphers every value of the vault).
// The contexts keep state between calls: one thread at a time, as for CRijndael.
//
// Failures are swallowed: Init returns 0, Encrypt and Decrypt return a zeroed buffer, which
// reads as the empty text. Results are malloc buffers owned by the caller (or by a DataBuf that
// takes them over).
class CDBEncrypter : public CRijndael {
public:
    explicit CDBEncrypter(const char* keyText = nullptr);
    ~CDBEncrypter() override;
    CDBEncrypter(const CDBEncrypter&) = delete;
    CDBEncrypter& operator=(const CDBEncrypter&) = delete;

    // 1 when keyed, 0 when keying failed.
    int Init(const char* keyText);

    // Enciphers *len bytes at in; *len becomes the padded length L (a multiple of 16, 0 stays
    // 0). The result holds L bytes and a terminating zero byte.
    char* Encrypt(const char* in, int* len);

    // Deciphers n bytes; the result holds n + 1 bytes, the plaintext ending at its first zero.
    char* Decrypt(const void* in, int n);

    // Deciphers n bytes (a multiple of 16) into out, which has room for n bytes. False, with
    // nothing promised about out, when the cipher is not keyed or n is no whole number of
    // blocks. For callers that decipher many values into one buffer of their own.
    bool decryptInto(const void* in, int n, char* out);

private:
    struct Contexts;
    std::unique_ptr<Contexts> contexts_;   // none until keyed
};
