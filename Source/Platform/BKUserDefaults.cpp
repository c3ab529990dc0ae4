#include "BKUserDefaults.h"

#include <QSettings>

BKUserDefaults& BKUserDefaults::standardUserDefaults()
{
    static BKUserDefaults defaults;
    return defaults;
}

BKUserDefaults::BKUserDefaults() = default;
BKUserDefaults::~BKUserDefaults() = default;

QSettings& BKUserDefaults::settings()
{
    if (!settings_) {
        const QString path = qEnvironmentVariable("OSTREVIN_SETTINGS_FILE");
        if (path.isEmpty())
            settings_ = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                                    QStringLiteral("Ostrevin"),
                                                    QStringLiteral("Ostrevin Darovazivu"));
        else
            settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
    }
    return *settings_;
}

void BKUserDefaults::useSettingsFile(const QString& path)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    if (settings_)
        settings_->sync();
    if (path.isEmpty())
        settings_.reset();
    else
        settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
}

QString BKUserDefaults::settingsFilePath()
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return settings().fileName();
}

QVariant BKUserDefaults::objectForKey(const QString& key)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return settings().value(key);
}

QString BKUserDefaults::stringForKey(const QString& key)
{
    return objectForKey(key).toString();
}

int BKUserDefaults::integerForKey(const QString& key)
{
    return objectForKey(key).toInt();
}

bool BKUserDefaults::boolForKey(const QString& key)
{
    return objectForKey(key).toBool();
}

bool BKUserDefaults::hasKey(const QString& key)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    return settings().contains(key);
}

void BKUserDefaults::setObject(const QVariant& value, const QString& key)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    settings().setValue(key, value);
}

void BKUserDefaults::removeObjectForKey(const QString& key)
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    settings().remove(key);
}

bool BKUserDefaults::synchronize()
{
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    settings().sync();
    return settings().status() == QSettings::NoError;
}
