// The user list parser and its delegate over any bytes, and the writer on what they read: every
// user that was read with a name and valid permissions is written and read back unchanged.
// Links the exchange library bound to the store (see Tests/CMakeLists.txt).
#include "FuzzInput.h"

#include "Model/OTVUser_Admin.h"
#include "Model/vRX/Vault/CBKUserParser.h"
#include "Model/vRX/Vault/OECSVWriter.h"
#include "Model/vRX/Vault/OTVUserParserDelegate.h"

#include <string>
#include <vector>

namespace {

std::vector<OEUserRecord> parse(std::string text, bool& invalidFile)
{
    OTVUserParserDelegate delegate;
    CBKUserParser::fromText(std::move(text), &delegate).StartParsing();
    if (!delegate.IsParsingComplete())
        std::abort();
    invalidFile = delegate.IsInvalidInputFile();
    if (invalidFile && !delegate.ImportedUsers().empty())
        std::abort();
    return delegate.ImportedUsers();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzInput input(data, size);
    bool invalidFile = false;
    const std::vector<OEUserRecord> users = parse(std::string(input.text()), invalidFile);

    std::vector<OEUserRecord> usable;
    for (const OEUserRecord& user : users) {
        // Only a valid name may become an account.
        if (user.hasValidUsername() != (user.createUserObject() != nullptr))
            std::abort();
        if (!user.mUsername().has_value() && user.usernameForReport().isEmpty())
            std::abort();
        if (user.mUsername().has_value() && user.hasVaildPermissions())
            usable.push_back(user);
    }

    bool rewrittenInvalid = false;
    const QByteArray written = OECSVWriter::userCSVData(usable);
    const std::vector<OEUserRecord> reread = parse(written.toStdString(), rewrittenInvalid);
    if (rewrittenInvalid || reread != usable)
        std::abort();
    return 0;
}
