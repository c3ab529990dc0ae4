#pragma once

#include <QAnyStringView>
#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <cstring>

// A fixed number of texts kept in one block of memory: one byte a character (Latin-1) when every
// character of every text fits in one, UTF-16 otherwise. A vault's records are loaded by the
// 100,000: a string of its own for each of a record's texts would cost an allocation, a header
// and, with them, more fresh pages than the characters themselves.
class OTVTextPack {
public:
    // No texts.
    OTVTextPack() = default;
    // `count` texts (at most kMaxTexts), copied; a null text stays null.
    static constexpr int kMaxTexts = 23;
    OTVTextPack(const QStringView* texts, int count);
    OTVTextPack(const QLatin1StringView* texts, int count);

    // One Latin-1 text of `size` characters, which `fill` writes.
    template <class Fill>
    static OTVTextPack latin1Text(qsizetype size, const Fill& fill)
    {
        OTVTextPack pack;
        fill(pack.allocateOneLatin1Text(size));
        return pack;
    }

    int count() const { return data_.isEmpty() ? 0 : int(word(0) & kCountMask); }
    // Whether the characters are stored one byte each.
    bool isLatin1() const { return data_.isEmpty() || !(word(0) & kWideFlag); }

    qsizetype size(int index) const
    {
        return index < 0 || index >= count() ? 0 : qsizetype(word(index + 2) - word(index + 1));
    }
    bool isEmpty(int index) const { return size(index) == 0; }
    bool isNull(int index) const
    {
        return index < 0 || index >= count() || (word(0) >> (kFirstNullBit + index)) & 1;
    }
    // Text `index` as stored; valid while the pack lives and is not assigned to.
    QAnyStringView view(int index) const;
    // The stored characters of text `index`; only for a pack that isLatin1() (latin1) or not (utf16).
    // (Inline: a search reads them for every record.)
    QLatin1StringView latin1(int index) const
    {
        if (isNull(index))
            return {};
        return QLatin1StringView(characters() + word(index + 1), size(index));
    }
    QStringView utf16(int index) const
    {
        if (isNull(index))
            return {};
        return QStringView(reinterpret_cast<const char16_t*>(characters()) + word(index + 1), size(index));
    }
    // A string of its own: the null string for a null text, else never the null one.
    QString text(int index) const;
    // The start of the block, for a walk over many packs to fetch ahead.
    const void* block() const { return data_.constData(); }

private:
    char* allocateOneLatin1Text(qsizetype size);
    // Room for `count` texts of `characters` characters in all, one or two bytes each.
    char* allocate(int count, qsizetype characters, bool latin1);
    // Packs `count` texts, each copied into its place by `copyText(text, characters, offset)`.
    template <class View, class CopyText>
    void fill(const View* texts, int count, bool latin1, const CopyText& copyText);
    void putWord(int index, quint32 value);
    void markNull(int index);

    // The header word: the count in the low byte, a bit for each null text above it, the wide
    // flag at the top.
    static constexpr quint32 kWideFlag = 0x80000000u;
    static constexpr quint32 kCountMask = 0xFFu;
    static constexpr int kFirstNullBit = 8;
    static constexpr qsizetype kWordSize = sizeof(quint32);

    quint32 word(int index) const
    {
        quint32 value;
        std::memcpy(&value, data_.constData() + kWordSize * index, kWordSize);
        return value;
    }
    const char* characters() const { return data_.constData() + kWordSize * (count() + 2); }

    // The header word, count + 1 offsets in characters (32-bit words, so that UTF-16 characters
    // start aligned), then the characters.
    QByteArray data_;
};
