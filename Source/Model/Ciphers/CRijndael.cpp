#include "CRijndael.h"

#include <cstring>
#include <stdexcept>

namespace {

using u8 = std::uint8_t;
using u32 = std::uint32_t;

// ---- The Rijndael tables, computed at compile time from GF(2^8) arithmetic ----

constexpr u8 xtime(u8 b)
{
    return static_cast<u8>((b << 1) ^ ((b & 0x80) ? 0x1B : 0x00));
}

constexpr u8 gmul(u8 a, u8 b)
{
    u8 product = 0;
    while (b) {
        if (b & 1)
            product ^= a;
        a = xtime(a);
        b >>= 1;
    }
    return product;
}

constexpr u8 ginverse(u8 x)
{
    // x^254 = x^-1 in GF(2^8); 0 maps to 0.
    u8 result = 1;
    u8 power = x;
    for (int e = 254; e; e >>= 1) {
        if (e & 1)
            result = gmul(result, power);
        power = gmul(power, power);
    }
    return x ? result : 0;
}

constexpr u8 rotl8(u8 b, int n)
{
    return static_cast<u8>((b << n) | (b >> (8 - n)));
}

constexpr u32 word(u8 b0, u8 b1, u8 b2, u8 b3)
{
    return (u32(b0) << 24) | (u32(b1) << 16) | (u32(b2) << 8) | u32(b3);
}

constexpr u32 rotr32(u32 w, int n)
{
    return (w >> n) | (w << (32 - n));
}

struct Tables {
    u8 S[256] = {};
    u8 Si[256] = {};
    // T1..T4: substitution and column mixing for each byte position of a column;
    // T5..T8: their inverses; U1..U4: the inverse column mixing alone.
    u32 T1[256] = {}, T2[256] = {}, T3[256] = {}, T4[256] = {};
    u32 T5[256] = {}, T6[256] = {}, T7[256] = {}, T8[256] = {};
    u32 U1[256] = {}, U2[256] = {}, U3[256] = {}, U4[256] = {};
    u8 rcon[30] = {};
};

constexpr Tables makeTables()
{
    Tables t{};
    for (int x = 0; x < 256; ++x) {
        const u8 inv = ginverse(static_cast<u8>(x));
        const u8 s = inv ^ rotl8(inv, 1) ^ rotl8(inv, 2) ^ rotl8(inv, 3) ^ rotl8(inv, 4) ^ 0x63;
        t.S[x] = s;
        t.Si[s] = static_cast<u8>(x);
    }
    for (int x = 0; x < 256; ++x) {
        const u8 s = t.S[x];
        const u32 e = word(gmul(s, 2), s, s, gmul(s, 3));
        t.T1[x] = e;
        t.T2[x] = rotr32(e, 8);
        t.T3[x] = rotr32(e, 16);
        t.T4[x] = rotr32(e, 24);
        const u8 si = t.Si[x];
        const u32 d = word(gmul(si, 0x0E), gmul(si, 0x09), gmul(si, 0x0D), gmul(si, 0x0B));
        t.T5[x] = d;
        t.T6[x] = rotr32(d, 8);
        t.T7[x] = rotr32(d, 16);
        t.T8[x] = rotr32(d, 24);
        const u8 b = static_cast<u8>(x);
        const u32 u = word(gmul(b, 0x0E), gmul(b, 0x09), gmul(b, 0x0D), gmul(b, 0x0B));
        t.U1[x] = u;
        t.U2[x] = rotr32(u, 8);
        t.U3[x] = rotr32(u, 16);
        t.U4[x] = rotr32(u, 24);
    }
    u8 r = 1;
    for (u8& c : t.rcon) {
        c = r;
        r = xtime(r);
    }
    return t;
}

constexpr Tables kTables = makeTables();

// Spot checks against the published tables, so that a fault in the generator cannot compile.
static_assert(kTables.S[0x00] == 0x63 && kTables.S[0x01] == 0x7C && kTables.S[0x53] == 0xED
              && kTables.S[0xFF] == 0x16);
static_assert(kTables.Si[0x00] == 0x52 && kTables.Si[0x63] == 0x00 && kTables.Si[0xFF] == 0x7D);
static_assert(kTables.T1[0x00] == 0xC66363A5 && kTables.T5[0x00] == 0x51F4A750);
static_assert(kTables.rcon[8] == 0x1B && kTables.rcon[29] == 0x91);

const auto& sm_S = kTables.S;
const auto& sm_Si = kTables.Si;
const auto& sm_T1 = kTables.T1;
const auto& sm_T2 = kTables.T2;
const auto& sm_T3 = kTables.T3;
const auto& sm_T4 = kTables.T4;
const auto& sm_T5 = kTables.T5;
const auto& sm_T6 = kTables.T6;
const auto& sm_T7 = kTables.T7;
const auto& sm_T8 = kTables.T8;
const auto& sm_U1 = kTables.U1;
const auto& sm_U2 = kTables.U2;
const auto& sm_U3 = kTables.U3;
const auto& sm_U4 = kTables.U4;
const auto& sm_rcon = kTables.rcon;

// Row offsets of the row shifting for 4, 6 and 8 block columns (rows 0 to 3), for encryption
// and for decryption (the complements).
constexpr int sm_shifts[3][2][4] = {
    {{0, 1, 2, 3}, {0, 3, 2, 1}},
    {{0, 1, 2, 3}, {0, 5, 4, 3}},
    {{0, 1, 3, 4}, {0, 7, 5, 4}},
};

constexpr char kZeroChain[32] = {};

u32 loadBE(const char* p)
{
    const auto* b = reinterpret_cast<const u8*>(p);
    return word(b[0], b[1], b[2], b[3]);
}

// One direction of the cipher: its four round tables and its substitution box.
struct Direction {
    const u32* T[4];
    const u8* box;
};
const Direction kForward{{sm_T1, sm_T2, sm_T3, sm_T4}, sm_S};
const Direction kInverse{{sm_T5, sm_T6, sm_T7, sm_T8}, sm_Si};

// The last round: substitution, row shifting and the round key, byte by byte.
inline void lastRound(const Direction& d, const u32* state, const u32* key, int BC, const int (&offset)[4], char* out)
{
    for (int j = 0; j < BC; ++j)
        for (int row = 0; row < 4; ++row) {
            const int shift = 24 - 8 * row;
            const u32 source = state[(j + offset[row]) % BC];
            out[4 * j + row] = static_cast<char>(d.box[(source >> shift) & 0xFF] ^ ((key[j] >> shift) & 0xFF));
        }
}

// The 16-byte block: four columns in registers, column offsets fixed at compile time
// (1, 2, 3 forwards; 3, 2, 1 backwards).
template <int O1, int O2, int O3>
void unrolledBlock(const Direction& d, const u32 (*K)[8], int rounds, const char* in, char* result)
{
    u32 s0 = loadBE(in) ^ K[0][0];
    u32 s1 = loadBE(in + 4) ^ K[0][1];
    u32 s2 = loadBE(in + 8) ^ K[0][2];
    u32 s3 = loadBE(in + 12) ^ K[0][3];
    const u32 *T1 = d.T[0], *T2 = d.T[1], *T3 = d.T[2], *T4 = d.T[3];
    for (int r = 1; r < rounds; ++r) {
        const u32 s[4] = {s0, s1, s2, s3};
        const u32* k = K[r];
        s0 = T1[s[0] >> 24] ^ T2[(s[(0 + O1) & 3] >> 16) & 0xFF] ^ T3[(s[(0 + O2) & 3] >> 8) & 0xFF] ^ T4[s[(0 + O3) & 3] & 0xFF] ^ k[0];
        s1 = T1[s[1] >> 24] ^ T2[(s[(1 + O1) & 3] >> 16) & 0xFF] ^ T3[(s[(1 + O2) & 3] >> 8) & 0xFF] ^ T4[s[(1 + O3) & 3] & 0xFF] ^ k[1];
        s2 = T1[s[2] >> 24] ^ T2[(s[(2 + O1) & 3] >> 16) & 0xFF] ^ T3[(s[(2 + O2) & 3] >> 8) & 0xFF] ^ T4[s[(2 + O3) & 3] & 0xFF] ^ k[2];
        s3 = T1[s[3] >> 24] ^ T2[(s[(3 + O1) & 3] >> 16) & 0xFF] ^ T3[(s[(3 + O2) & 3] >> 8) & 0xFF] ^ T4[s[(3 + O3) & 3] & 0xFF] ^ k[3];
    }
    const u32 state[4] = {s0, s1, s2, s3};
    lastRound(d, state, K[rounds], 4, {0, O1, O2, O3}, result);
}

// Any block width: BC columns with the row offsets of that width. t and a are scratch.
void generalBlock(const Direction& d, const u32 (*K)[8], int rounds, int BC, const int (&offset)[4], const char* in,
                  char* result, u32* t, u32* a)
{
    for (int i = 0; i < BC; ++i)
        t[i] = loadBE(in + 4 * i) ^ K[0][i];
    for (int r = 1; r < rounds; ++r) {
        for (int i = 0; i < BC; ++i)
            a[i] = d.T[0][t[i] >> 24] ^ d.T[1][(t[(i + offset[1]) % BC] >> 16) & 0xFF]
                ^ d.T[2][(t[(i + offset[2]) % BC] >> 8) & 0xFF] ^ d.T[3][t[(i + offset[3]) % BC] & 0xFF] ^ K[r][i];
        std::memcpy(t, a, 4 * BC);
    }
    lastRound(d, t, K[rounds], BC, offset, result);
}

// The row offsets of a block width, forwards (0) or backwards (1).
const int (&rowOffsets(int BC, int direction))[4]
{
    return sm_shifts[BC == 4 ? 0 : (BC == 6 ? 1 : 2)][direction];
}

bool validSize(int bytes)
{
    return bytes == 16 || bytes == 24 || bytes == 32;
}

[[noreturn]] void fail(const char* what)
{
    throw std::invalid_argument(what);
}

} // namespace

const char* const CRijndael::sm_chain0 = kZeroChain;

CRijndael::CRijndael() = default;
CRijndael::~CRijndael() = default;

void CRijndael::MakeKey(const char* key, const char* chain, int keylength, int blockSize)
{
    if (!key)
        fail("Rijndael: no key");
    if (!validSize(keylength))
        fail("Rijndael: key length must be 16, 24 or 32 bytes");
    if (!validSize(blockSize))
        fail("Rijndael: block size must be 16, 24 or 32 bytes");
    if (!chain)
        chain = sm_chain0;

    m_keylength = keylength;
    m_blockSize = blockSize;
    std::memcpy(m_chain0, chain, blockSize);
    std::memcpy(m_chain, chain, blockSize);
    const int KC = keylength / 4;
    const int BC = blockSize / 4;
    m_iROUNDS = (KC > BC ? KC : BC) + 6;  // the rounds table: max(key, block) in words + 6

    // Key expansion by words: w[i] = w[i - KC] ^ f(w[i - 1]); round key r is w[r*BC .. r*BC+BC).
    const int wordCount = BC * (m_iROUNDS + 1);
    for (int i = 0; i < KC; ++i)
        tk[i] = loadBE(key + 4 * i);
    for (int i = 0; i < wordCount; ++i) {
        u32 w;
        if (i < KC) {
            w = tk[i];
        } else {
            const int r = (i - 1) / BC;
            const int c = (i - 1) % BC;
            u32 previous = m_Ke[r][c];
            if (i % KC == 0) {
                previous = word(sm_S[(previous >> 16) & 0xFF], sm_S[(previous >> 8) & 0xFF],
                                sm_S[previous & 0xFF], sm_S[previous >> 24])
                    ^ (u32(sm_rcon[i / KC - 1]) << 24);
            } else if (KC > 6 && i % KC == 4) {
                previous = word(sm_S[previous >> 24], sm_S[(previous >> 16) & 0xFF],
                                sm_S[(previous >> 8) & 0xFF], sm_S[previous & 0xFF]);
            }
            w = m_Ke[(i - KC) / BC][(i - KC) % BC] ^ previous;
        }
        m_Ke[i / BC][i % BC] = w;
    }

    // Decryption keys: the encryption keys in reverse round order, the inner rounds passed
    // through the inverse column mixing (the equivalent inverse cipher).
    for (int r = 0; r <= m_iROUNDS; ++r)
        for (int j = 0; j < BC; ++j) {
            const u32 k = m_Ke[m_iROUNDS - r][j];
            m_Kd[r][j] = (r == 0 || r == m_iROUNDS)
                ? k
                : sm_U1[k >> 24] ^ sm_U2[(k >> 16) & 0xFF] ^ sm_U3[(k >> 8) & 0xFF] ^ sm_U4[k & 0xFF];
        }
    m_bKeyInit = true;
}

void CRijndael::DefEncryptBlock(const char* in, char* result)
{
    requireUnrolledBlock(in, result);
    unrolledEncrypt(in, result);
}

void CRijndael::DefDecryptBlock(const char* in, char* result)
{
    requireUnrolledBlock(in, result);
    unrolledDecrypt(in, result);
}

void CRijndael::unrolledEncrypt(const char* in, char* result)
{
    unrolledBlock<1, 2, 3>(kForward, m_Ke, m_iROUNDS, in, result);
}

void CRijndael::unrolledDecrypt(const char* in, char* result)
{
    unrolledBlock<3, 2, 1>(kInverse, m_Kd, m_iROUNDS, in, result);
}

void CRijndael::EncryptBlock(const char* in, char* result)
{
    requireBlock(in, result);
    checkedEncryptBlock(in, result);
}

void CRijndael::checkedEncryptBlock(const char* in, char* result)
{
    if (m_blockSize == 16)
        unrolledEncrypt(in, result);
    else
        generalEncrypt(in, result);
}

void CRijndael::DecryptBlock(const char* in, char* result)
{
    requireBlock(in, result);
    checkedDecryptBlock(in, result);
}

void CRijndael::checkedDecryptBlock(const char* in, char* result)
{
    if (m_blockSize == 16)
        unrolledDecrypt(in, result);
    else
        generalDecrypt(in, result);
}

void CRijndael::generalEncrypt(const char* in, char* result)
{
    const int BC = m_blockSize / 4;
    generalBlock(kForward, m_Ke, m_iROUNDS, BC, rowOffsets(BC, 0), in, result, t, a);
}

void CRijndael::generalDecrypt(const char* in, char* result)
{
    const int BC = m_blockSize / 4;
    generalBlock(kInverse, m_Kd, m_iROUNDS, BC, rowOffsets(BC, 1), in, result, t, a);
}

void CRijndael::Encrypt(const char* in, char* result, std::size_t n, int iMode)
{
    requireBlocks(in, result, n);
    const std::size_t bs = static_cast<std::size_t>(m_blockSize);
    char block[MAX_BLOCK_SIZE];
    for (std::size_t i = 0; i < n; i += bs) {
        switch (iMode) {
        case CBC:
            std::memcpy(block, in + i, bs);
            Xor(block, m_chain);
            checkedEncryptBlock(block, result + i);
            std::memcpy(m_chain, result + i, bs);
            break;
        case CFB:
            checkedEncryptBlock(m_chain, block);
            Xor(block, in + i);
            std::memcpy(result + i, block, bs);
            std::memcpy(m_chain, block, bs);
            break;
        default:
            checkedEncryptBlock(in + i, result + i);
            break;
        }
    }
}

void CRijndael::Decrypt(const char* in, char* result, std::size_t n, int iMode)
{
    requireBlocks(in, result, n);
    const std::size_t bs = static_cast<std::size_t>(m_blockSize);
    char block[MAX_BLOCK_SIZE];
    for (std::size_t i = 0; i < n; i += bs) {
        switch (iMode) {
        case CBC:
            checkedDecryptBlock(in + i, block);
            Xor(block, m_chain);
            std::memcpy(m_chain, in + i, bs);
            std::memcpy(result + i, block, bs);
            break;
        case CFB:
            checkedEncryptBlock(m_chain, block);
            Xor(block, in + i);
            std::memcpy(m_chain, in + i, bs);
            std::memcpy(result + i, block, bs);
            break;
        default:
            checkedDecryptBlock(in + i, result + i);
            break;
        }
    }
}

void CRijndael::Xor(char* buff, const char* chain)
{
    requireKey();
    if (!buff || !chain)
        fail("Rijndael: no data");
    for (int i = 0; i < m_blockSize; ++i)
        buff[i] ^= chain[i];
}

void CRijndael::ResetChain()
{
    requireKey();
    std::memcpy(m_chain, m_chain0, m_blockSize);
}

int CRijndael::GetKeyLength() const
{
    requireKey();
    return m_keylength;
}

int CRijndael::GetBlockSize() const
{
    requireKey();
    return m_blockSize;
}

int CRijndael::GetRounds() const
{
    requireKey();
    return m_iROUNDS;
}

void CRijndael::requireKey() const
{
    if (!m_bKeyInit)
        fail("Rijndael: no key set");
}

void CRijndael::requireBlock(const char* in, const char* result) const
{
    requireKey();
    if (!in || !result)
        fail("Rijndael: no data");
}

void CRijndael::requireUnrolledBlock(const char* in, const char* result) const
{
    requireBlock(in, result);
    if (m_blockSize != 16)
        fail("Rijndael: the 16-byte path needs a 16-byte block");
}

void CRijndael::requireBlocks(const char* in, const char* result, std::size_t n) const
{
    requireBlock(in, result);
    if (n == 0 || n % static_cast<std::size_t>(m_blockSize) != 0)
        fail("Rijndael: data length must be a non-zero multiple of the block size");
    // Each block is read whole before it is written, so the very same buffer is safe; a
    // shifted overlap would read bytes already overwritten.
    if (in != result && in < result + n && result < in + n)
        fail("Rijndael: input and output overlap");
}
