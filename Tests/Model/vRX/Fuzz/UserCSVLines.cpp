// The user-account CSV line reader, read to the end of a file.
#include "FuzzInput.h"

#include "Model/vRX/ExchangeFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzInput input(data, size);
    TextCursor cursor = input.text();
    while (!IsTextEnd(cursor)) {
        CStringArray textFields, permissionFields;
        bool damaged = false;
        const TextCursor next = GetCSVUserRecord(cursor, textFields, permissionFields, damaged);
        RequireProgress(cursor, next);
        if (textFields.GetSize() > 7 || permissionFields.GetSize() > 4)
            std::abort();
        cursor = next;
    }
    return 0;
}
