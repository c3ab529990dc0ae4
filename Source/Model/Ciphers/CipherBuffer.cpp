#include "CipherBuffer.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

CipherBuffer::CipherBuffer(std::size_t length)
    : data_(static_cast<char*>(std::calloc(length + 1, 1)))
    , length_(length)
{
    if (!data_)
        throw std::bad_alloc();
}

CipherBuffer::~CipherBuffer()
{
    std::free(data_);
}

void CipherBuffer::clear()
{
    std::memset(data_, 0, length_ + 1);
}

char* CipherBuffer::release()
{
    char* released = data_;
    data_ = nullptr;
    return released;
}

int CipherBuffer::paddedLength(int n, int block)
{
    if (n <= 0)
        return 0;
    const long long padded = (static_cast<long long>(n) + block - 1) / block * block;
    if (padded > INT_MAX)
        throw std::length_error("cipher: data too long");
    return static_cast<int>(padded);
}
