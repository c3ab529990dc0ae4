#pragma once

#include <cstddef>
#include <vector>

// An ordered list of byte strings, packed one after another with their NULs into one block,
// as the file-exchange code hands record fields around. At most 32767 strings (the count is a
// signed 16-bit number); the strings themselves may be of any length.
class CStringArray {
public:
    CStringArray() = default;
    virtual ~CStringArray() = default;

    // Lists are passed by reference, never copied.
    CStringArray(const CStringArray&) = delete;
    CStringArray& operator=(const CStringArray&) = delete;

    virtual short GetSize() const;
    // The n-th string, valid until the list next changes; null when n is out of range.
    virtual const char* GetAt(short n) const;
    // Appends a copy; null appends the empty string. Throws std::length_error past 32767 strings.
    virtual void Add(const char* s);
    // Replaces the n-th string (null empties it); does nothing when n is out of range.
    virtual void SetAt(short n, const char* s);

    // The packed block's size: every string's length plus one.
    size_t ArraySize() const { return block_.size(); }

private:
    std::vector<char> block_;
    std::vector<size_t> starts_;   // offset of each string in block_
};
