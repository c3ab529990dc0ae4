#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

// Reader of XML property lists (the "<plist>" format; binary ones are not supported). The
// value types map as: dict -> QVariantMap, array -> QVariantList, string -> QString,
// integer -> qlonglong, real -> double, true/false -> bool. Other elements (date, data) are
// refused, so that a file is either read whole or not at all.
class BKPropertyList {
public:
    // The root value of the property list, or an invalid QVariant when the file cannot be
    // read or is no well-formed property list; errorMessage (when given) then says why.
    static QVariant readFile(const QString& path, QString* errorMessage = nullptr);
    static QVariant readData(const QByteArray& data, QString* errorMessage = nullptr);
};
