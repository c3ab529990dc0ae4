#include "OTVAccountName.h"

bool OTVHasAccountNameCharacters(const QString& name)
{
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        // A surrogate is half of a character beyond the plane, or a lone one without UTF-8 form.
        if (c.isSurrogate() || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}
