#include "BKPropertyList.h"

#include <QFile>
#include <QXmlStreamReader>

namespace {

// Deeper nesting than this is refused rather than followed: a hostile file must not exhaust
// the stack.
constexpr int kMaximumDepth = 64;

class PlistParser {
public:
    explicit PlistParser(const QByteArray& data) : xml_(data) {}

    QVariant parse()
    {
        if (!xml_.readNextStartElement())
            return fail(QStringLiteral("no root element"));
        if (xml_.name() != QLatin1String("plist"))
            return fail(QStringLiteral("the root element is <%1>, not <plist>").arg(xml_.name()));
        if (!xml_.readNextStartElement())
            return fail(QStringLiteral("the property list holds no value"));
        QVariant root = readValue(1);
        if (!error_.isEmpty())
            return {};
        if (xml_.readNextStartElement())
            return fail(QStringLiteral("the property list holds more than one value"));
        while (!xml_.atEnd())
            xml_.readNext();
        if (xml_.hasError())
            return fail(xml_.errorString());
        return root;
    }

    QString error() const { return error_; }

private:
    // Reads the element at which the reader stands, up to and including its end tag.
    QVariant readValue(int depth)
    {
        if (depth > kMaximumDepth)
            return fail(QStringLiteral("nested deeper than %1 levels").arg(kMaximumDepth));
        const QStringView name = xml_.name();
        if (name == QLatin1String("dict"))
            return readDictionary(depth);
        if (name == QLatin1String("array"))
            return readArray(depth);
        if (name == QLatin1String("string"))
            return readText();
        if (name == QLatin1String("integer"))
            return readInteger();
        if (name == QLatin1String("real"))
            return readReal();
        if (name == QLatin1String("true") || name == QLatin1String("false"))
            return readBoolean(name == QLatin1String("true"));
        return fail(QStringLiteral("unsupported element <%1>").arg(name));
    }

    QVariant readDictionary(int depth)
    {
        QVariantMap dictionary;
        while (xml_.readNextStartElement()) {
            if (xml_.name() != QLatin1String("key"))
                return fail(QStringLiteral("<%1> where a <key> was expected").arg(xml_.name()));
            const QString key = xml_.readElementText();
            if (xml_.hasError())
                return fail(xml_.errorString());
            if (!xml_.readNextStartElement())
                return fail(QStringLiteral("the key \"%1\" has no value").arg(key));
            QVariant value = readValue(depth + 1);
            if (!error_.isEmpty())
                return {};
            dictionary.insert(key, value);
        }
        return endOfContainer(dictionary);
    }

    QVariant readArray(int depth)
    {
        QVariantList array;
        while (xml_.readNextStartElement()) {
            QVariant value = readValue(depth + 1);
            if (!error_.isEmpty())
                return {};
            array.append(value);
        }
        return endOfContainer(array);
    }

    // readNextStartElement() stops at the container's end tag or at an error.
    QVariant endOfContainer(const QVariant& container)
    {
        if (xml_.hasError())
            return fail(xml_.errorString());
        return container;
    }

    // The text of the current element; false (and the error noted) when it has child
    // elements or the XML breaks inside it.
    bool readElementText(QString* text)
    {
        *text = xml_.readElementText();
        if (!xml_.hasError())
            return true;
        fail(xml_.errorString());
        return false;
    }

    QVariant readText()
    {
        QString text;
        if (!readElementText(&text))
            return {};
        return text;
    }

    QVariant readInteger()
    {
        return readNumber(QStringLiteral("integer"), [](const QString& text, bool* ok) {
            return QVariant(text.toLongLong(ok));
        });
    }

    QVariant readReal()
    {
        return readNumber(QStringLiteral("number"), [](const QString& text, bool* ok) {
            return QVariant(text.toDouble(ok));
        });
    }

    template <class Convert>
    QVariant readNumber(const QString& kind, Convert convert)
    {
        QString text;
        if (!readElementText(&text))
            return {};
        bool ok = false;
        QVariant value = convert(text.trimmed(), &ok);
        if (!ok)
            return fail(QStringLiteral("\"%1\" is no %2").arg(text, kind));
        return value;
    }

    QVariant readBoolean(bool value)
    {
        QString text;
        if (!readElementText(&text))
            return {};
        return value;
    }

    QVariant fail(const QString& reason)
    {
        if (error_.isEmpty())
            error_ = QStringLiteral("line %1: %2").arg(xml_.lineNumber()).arg(reason);
        return {};
    }

    QXmlStreamReader xml_;
    QString error_;
};

} // namespace

QVariant BKPropertyList::readData(const QByteArray& data, QString* errorMessage)
{
    if (data.startsWith("bplist")) {
        if (errorMessage)
            *errorMessage = QStringLiteral("binary property lists are not supported");
        return {};
    }
    PlistParser parser(data);
    QVariant root = parser.parse();
    if (errorMessage)
        *errorMessage = parser.error();
    return root;
}

QVariant BKPropertyList::readFile(const QString& path, QString* errorMessage)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorMessage)
            *errorMessage = QStringLiteral("%1: %2").arg(path, file.errorString());
        return {};
    }
    QString reason;
    QVariant root = readData(file.readAll(), &reason);
    if (errorMessage)
        *errorMessage = reason.isEmpty() ? QString() : QStringLiteral("%1: %2").arg(path, reason);
    return root;
}
