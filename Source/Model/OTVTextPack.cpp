#include "OTVTextPack.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace {

bool fitsLatin1(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xFF)
            return false;
    }
    return true;
}

} // namespace

char* OTVTextPack::allocate(int count, qsizetype characters, bool latin1)
{
    // Offsets are 32-bit: a record's texts are tiny blobs and a note of at most 64 KiB.
    if (characters > qsizetype(std::numeric_limits<qint32>::max() / 2))
        throw std::bad_alloc();
    const qsizetype header = kWordSize * (count + 2);
    // Exactly the room needed (resize() would leave room to grow).
    data_ = QByteArray(header + characters * (latin1 ? 1 : 2), Qt::Uninitialized);
    putWord(0, quint32(count) | (latin1 ? 0 : kWideFlag));
    return data_.data() + header;
}

void OTVTextPack::markNull(int index)
{
    putWord(0, word(0) | (1u << (kFirstNullBit + index)));
}

void OTVTextPack::putWord(int index, quint32 value)
{
    std::memcpy(data_.data() + kWordSize * index, &value, kWordSize);
}

template <class View, class CopyText>
void OTVTextPack::fill(const View* texts, int count, bool latin1, const CopyText& copyText)
{
    if (count > kMaxTexts)
        throw std::length_error("too many texts for one pack");
    qsizetype characters = 0;
    for (int i = 0; i < count; ++i)
        characters += texts[i].size();
    char* to = allocate(count, characters, latin1);
    quint32 offset = 0;
    for (int i = 0; i < count; ++i) {
        putWord(i + 1, offset);
        if (texts[i].isNull())
            markNull(i);
        copyText(texts[i], to, offset);
        offset += quint32(texts[i].size());
    }
    putWord(count + 1, offset);
}

OTVTextPack::OTVTextPack(const QStringView* texts, int count)
{
    if (count <= 0)
        return;
    const bool latin1 = std::all_of(texts, texts + count, fitsLatin1);
    fill(texts, count, latin1, [latin1](QStringView text, char* to, quint32 offset) {
        if (latin1) {
            for (qsizetype c = 0; c < text.size(); ++c)
                to[offset + c] = char(text[c].unicode());
        } else if (!text.isEmpty()) {
            std::memcpy(to + 2 * qsizetype(offset), text.utf16(), size_t(text.size()) * 2);
        }
    });
}

OTVTextPack::OTVTextPack(const QLatin1StringView* texts, int count)
{
    if (count <= 0)
        return;
    fill(texts, count, true, [](QLatin1StringView text, char* to, quint32 offset) {
        if (!text.isEmpty())
            std::memcpy(to + offset, text.data(), size_t(text.size()));
    });
}

char* OTVTextPack::allocateOneLatin1Text(qsizetype size)
{
    char* to = allocate(1, size, true);
    putWord(1, 0);
    putWord(2, quint32(size));
    return to;
}

QAnyStringView OTVTextPack::view(int index) const
{
    if (isLatin1())
        return latin1(index);
    return utf16(index);
}

QString OTVTextPack::text(int index) const
{
    if (isNull(index))
        return QString();
    if (isEmpty(index))
        return QStringLiteral("");
    return isLatin1() ? QString(latin1(index)) : utf16(index).toString();
}
