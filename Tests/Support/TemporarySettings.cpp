#include "TemporarySettings.h"

#include "Platform/BKUserDefaults.h"

TemporarySettings::TemporarySettings()
{
    BKUserDefaults::standardUserDefaults().useSettingsFile(path());
}

TemporarySettings::~TemporarySettings()
{
    BKUserDefaults::standardUserDefaults().useSettingsFile({});
}

QString TemporarySettings::path() const
{
    return dir_.filePath(QStringLiteral("settings.ini"));
}
