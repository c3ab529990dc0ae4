#pragma once

#include <cstddef>
#include <cstdint>

// Table-driven Rijndael with the full choice of 16-, 24- and 32-byte keys and blocks (the
// 16-byte block is AES). Key and block bytes are read as big-endian words. The stored values
// of the vault depend on its exact output, so the algorithm must never change.
//
// Every failure throws (an std::exception subclass) before anything is written to the output.
// An object keeps scratch and chain state: one thread at a time.
class CRijndael {
public:
    enum { ECB = 0, CBC = 1, CFB = 2 };

    // 32 zero bytes: the chain block every caller of the vault passes to MakeKey.
    static const char* const sm_chain0;

    CRijndael();
    virtual ~CRijndael();

    // keylength and blockSize in bytes: 16, 24 or 32. Copies blockSize bytes of chain into
    // both chain blocks.
    void MakeKey(const char* key, const char* chain, int keylength = 16, int blockSize = 16);

    // One 16-byte block through the unrolled path (block size must be 16).
    void DefEncryptBlock(const char* in, char* result);
    void DefDecryptBlock(const char* in, char* result);

    // One block of the block size; a 16-byte block goes through the unrolled path.
    void EncryptBlock(const char* in, char* result);
    void DecryptBlock(const char* in, char* result);

    // n bytes, a non-zero multiple of the block size; in and result must not overlap.
    // CBC and CFB continue from the running chain block.
    void Encrypt(const char* in, char* result, std::size_t n, int iMode = ECB);
    void Decrypt(const char* in, char* result, std::size_t n, int iMode = ECB);

    // buff[i] ^= chain[i] over the block size.
    void Xor(char* buff, const char* chain);

    // Back to the chain block given to MakeKey.
    void ResetChain();

    int GetKeyLength() const;
    int GetBlockSize() const;
    int GetRounds() const;

protected:
    // The general path for any block size (the 16-byte block normally takes the unrolled
    // path; both must agree). No checks: the key must be set.
    void generalEncrypt(const char* in, char* result);
    void generalDecrypt(const char* in, char* result);

private:
    // One block after the checks have passed.
    void checkedEncryptBlock(const char* in, char* result);
    void checkedDecryptBlock(const char* in, char* result);
    void unrolledEncrypt(const char* in, char* result);
    void unrolledDecrypt(const char* in, char* result);

    enum { MAX_ROUNDS = 14, MAX_BC = 8, MAX_KC = 8, MAX_BLOCK_SIZE = 32 };

    void requireKey() const;
    void requireBlock(const char* in, const char* result) const;
    void requireUnrolledBlock(const char* in, const char* result) const;
    void requireBlocks(const char* in, const char* result, std::size_t n) const;

    bool m_bKeyInit = false;
    std::uint32_t m_Ke[MAX_ROUNDS + 1][MAX_BC] = {};  // encryption round keys
    std::uint32_t m_Kd[MAX_ROUNDS + 1][MAX_BC] = {};  // decryption round keys
    int m_keylength = 0;
    int m_blockSize = 0;
    int m_iROUNDS = 0;
    char m_chain0[MAX_BLOCK_SIZE] = {};
    char m_chain[MAX_BLOCK_SIZE] = {};
    // Scratch of the key expansion and the general block routine.
    std::uint32_t tk[MAX_KC] = {};
    std::uint32_t a[MAX_BC] = {};
    std::uint32_t t[MAX_BC] = {};
};
