#pragma once

#include <QTemporaryDir>

// Points the user defaults at a fresh file in a temporary folder for the lifetime of the
// object, so that tests never read or write the user's real settings.
class TemporarySettings {
public:
    TemporarySettings();
    ~TemporarySettings();
    QString path() const;

private:
    QTemporaryDir dir_;
};
