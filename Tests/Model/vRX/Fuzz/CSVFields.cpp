// The CSV field and line readers on arbitrary text, and the field codec's round trip.
#include "FuzzInput.h"

#include "Model/vRX/TextFile.h"

#include <algorithm>
#include <string>

namespace {

void ReadAllFields(TextCursor cursor)
{
    std::string field;
    while (!IsTextEnd(cursor)) {
        const TextCursor next = GetNextField(cursor, field);
        RequireProgress(cursor, next);
        cursor = next;
    }
}

void ReadAllLines(TextCursor cursor)
{
    std::string line;
    while (!IsTextEnd(cursor)) {
        const TextCursor next = GetNextLine(cursor, line, 200);
        RequireProgress(cursor, next);
        if (line.size() > 200)
            std::abort();
        cursor = next;
    }
}

// Whatever a field holds comes back byte for byte from its exact CSV form, the one of the files
// that are read back.
void RoundTrip(std::string_view text)
{
    const std::string field(text.substr(0, std::min(text.find('\0'), text.size())));
    std::string written;
    FormatExactCSVField(field, written);
    written += ",next";
    std::string back;
    const TextCursor rest = GetNextField(written, back);
    if (back != field || rest != "next")
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzInput input(data, size);
    ReadAllFields(input.text());
    ReadAllLines(input.text());
    std::string bytes;
    ReadHexBytes(input.text(), bytes);
    if (bytes.size() > size / 2)
        std::abort();
    long number = 0;
    ReadNumber(input.text(), number);
    RoundTrip(input.text());
    return 0;
}
