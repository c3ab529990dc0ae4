// Kind detection and the password check of whole files.
#include "FuzzInput.h"

#include "Model/vRX/ExchangeFormats.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzInput input(data, size);
    const EFileType kind = GetFileType(input.text());
    if (kind < kPlainCSVFile || kind > kNotTextFile)
        std::abort();
    const int withoutKey = ProcessVRXInfo(input.text(), nullptr);
    const int withKey = ProcessVRXInfo(input.text(), &FuzzKey());
    if (withoutKey < -1 || withoutKey > 1 || withKey < -1 || withKey > 1)
        std::abort();
    if (CheckForEncryption(input.text()) != (withoutKey == 1))
        std::abort();
    return 0;
}
