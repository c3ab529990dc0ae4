#include "Model/vRX/CStringArray.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace {
const char kEmpty[] = "";
}

short CStringArray::GetSize() const
{
    return static_cast<short>(starts_.size());
}

const char* CStringArray::GetAt(short n) const
{
    if (n < 0 || static_cast<size_t>(n) >= starts_.size())
        return nullptr;
    return block_.data() + starts_[static_cast<size_t>(n)];
}

void CStringArray::Add(const char* s)
{
    if (starts_.size() >= static_cast<size_t>(std::numeric_limits<short>::max()))
        throw std::length_error("CStringArray holds at most 32767 strings");
    if (s == nullptr)
        s = kEmpty;
    starts_.push_back(block_.size());
    block_.insert(block_.end(), s, s + std::strlen(s) + 1);
}

void CStringArray::SetAt(short n, const char* s)
{
    if (n < 0 || static_cast<size_t>(n) >= starts_.size())
        return;
    if (s == nullptr)
        s = kEmpty;
    const size_t index = static_cast<size_t>(n);
    const size_t start = starts_[index];
    const size_t oldLength = std::strlen(block_.data() + start);
    const size_t newLength = std::strlen(s);

    // s may point into this very block: take the copy before the block moves.
    const std::vector<char> replacement(s, s + newLength);
    block_.erase(block_.begin() + static_cast<std::ptrdiff_t>(start),
                 block_.begin() + static_cast<std::ptrdiff_t>(start + oldLength));
    block_.insert(block_.begin() + static_cast<std::ptrdiff_t>(start), replacement.begin(), replacement.end());
    for (size_t i = index + 1; i < starts_.size(); ++i)
        starts_[i] = starts_[i] - oldLength + newLength;
}
