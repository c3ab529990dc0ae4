#pragma once

#include "Model/vRX/Blowfish.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

// The fuzzer's bytes in a heap block of exactly their size, so that a reader that looks one byte
// past its input is caught by the address sanitizer.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size)
        : bytes_(new char[size == 0 ? 1 : size])
        , size_(size)
    {
        for (size_t i = 0; i < size; ++i)
            bytes_[i] = static_cast<char>(data[i]);
    }

    std::string_view text() const { return {bytes_.get(), size_}; }

private:
    std::unique_ptr<char[]> bytes_;
    size_t size_;
};

// The key of the seed files made with the password "ab".
inline const BLOWFISH_CTX& FuzzKey()
{
    static const BLOWFISH_CTX key = [] {
        BLOWFISH_CTX ctx;
        Blowfish_Init(&ctx, reinterpret_cast<const unsigned char*>("ab"), 2);
        return ctx;
    }();
    return key;
}

// A reader that returns without having moved, before the end of its text, would make its caller
// loop for ever.
inline void RequireProgress(std::string_view before, std::string_view after)
{
    if (after.size() >= before.size() && !before.empty() && before.front() != '\0')
        std::abort();
    if (after.data() < before.data() || after.data() + after.size() != before.data() + before.size())
        std::abort();   // the cursor left its text
}
