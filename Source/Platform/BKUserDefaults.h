#pragma once

#include <QString>
#include <QVariant>

#include <memory>
#include <mutex>

class QSettings;

// Keys of the user defaults.
inline const QString kIsApplicationFirstLaunch = QStringLiteral("IsApplicationFirstLaunch");
inline const QString kMasterPasswordDefaultsKey = QStringLiteral("MasterPassword");
inline const QString kServerHostName = QStringLiteral("ServerHostName");
inline const QString kUsername = QStringLiteral("Username");
inline const QString kPortNumber = QStringLiteral("PortNumber");
inline const QString kEventLoggerDatabaseLocation = QStringLiteral("EventLoggerDatabaseLocation");
inline const QString kMaskingStatus = QStringLiteral("MaskingStatus");
inline const QString kLaunchOnStartup = QStringLiteral("LaunchOnStartup");
inline const QString kMainSplitViewAutosaveKey = QStringLiteral("Main SplitView Autosave Key");
inline const QString kSmartTypeSplitViewAutosaveKey = QStringLiteral("SmartType SplitView Autosave Key");
inline const QString kSubSplitViewAutosaveKey = QStringLiteral("Sub SplitView Autosave Key");

// The user's defaults: a small key-value store kept in an INI file. By default the file is
// the application's settings file in the user's configuration folder; the environment
// variable OSTREVIN_SETTINGS_FILE or useSettingsFile() (tests) put it elsewhere.
class BKUserDefaults {
public:
    static BKUserDefaults& standardUserDefaults();

    // Switches to another settings file (an empty path returns to the default file).
    void useSettingsFile(const QString& path);
    QString settingsFilePath();

    QVariant objectForKey(const QString& key);
    QString stringForKey(const QString& key);
    int integerForKey(const QString& key);
    bool boolForKey(const QString& key);
    bool hasKey(const QString& key);

    void setObject(const QVariant& value, const QString& key);
    void removeObjectForKey(const QString& key);
    // Writes pending changes to the file; false when the file cannot be written.
    bool synchronize();

private:
    BKUserDefaults();
    ~BKUserDefaults();
    QSettings& settings();

    std::recursive_mutex mutex_;
    std::unique_ptr<QSettings> settings_;
};
