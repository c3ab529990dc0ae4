#include "OEAccountName.h"

bool OEIsValidAccountName(const QString& name)
{
    return OTVHasAccountNameCharacters(name) && name.size() <= kMaxUserNameLength;
}
