// The record readers of every kind, with and without a key, read to the end of a file the way
// the importer does. The first byte chooses the kind and the key.
#include "FuzzInput.h"

#include "Model/vRX/ExchangeFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const auto kind = static_cast<EFileType>(1 + data[0] % 9);
    const BLOWFISH_CTX* key = (data[0] & 0x80) != 0 ? &FuzzKey() : nullptr;
    const FuzzInput input(data + 1, size - 1);

    TextCursor cursor = input.text();
    while (!IsTextEnd(cursor)) {
        CStringArray fields, customNames, attachment;
        CString category;
        unsigned short mask = 0, icon = 0;
        bool isType = false, damaged = false;
        const auto next = GetNextRecord(kind, cursor, key, fields, mask, customNames, category, attachment, icon,
                                        isType, damaged);
        if (!next)
            break;
        RequireProgress(cursor, *next);
        if (fields.GetSize() > 13 || customNames.GetSize() > 10 || attachment.GetSize() > 3)
            std::abort();
        cursor = *next;
    }
    return 0;
}
