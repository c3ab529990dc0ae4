#pragma once

#include "Model/OTVAccountName.h"

#include <QString>

// Whether a name may become an account name: characters an account name can hold, at most
// kMaxUserNameLength of them. Checked before the name reaches any statement.
bool OEIsValidAccountName(const QString& name);
