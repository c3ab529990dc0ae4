#pragma once

#include <cstddef>

// A zeroed malloc buffer of length + 1 bytes that frees itself unless released: the ciphers
// hand their results to callers (and DataBuf) as malloc buffers, and must not leak one when
// the cipher throws.
class CipherBuffer {
public:
    explicit CipherBuffer(std::size_t length);
    ~CipherBuffer();
    CipherBuffer(const CipherBuffer&) = delete;
    CipherBuffer& operator=(const CipherBuffer&) = delete;

    char* data() { return data_; }
    // Zeroes all length + 1 bytes (a failed cipher leaves nothing half-written).
    void clear();
    // Hands the buffer over; the caller frees it with free().
    char* release();

    // n rounded up to the next multiple of block (0 stays 0). Throws std::length_error when the
    // result does not fit an int.
    static int paddedLength(int n, int block);

private:
    char* data_;
    std::size_t length_;
};
