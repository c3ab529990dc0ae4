#pragma once

#include <QList>
#include <QString>
#include <QVariantMap>

#include <array>
#include <memory>
#include <optional>

// The number of fields of a record and of labels of a type.
inline constexpr int kNoOfFields = 10;
// The icon of a type that names none (and of the unfiled type).
inline constexpr int kDefaultIconID = 31;
// The type templates shipped with the application, from which a new vault is seeded.
inline const QString kTypeTemplatesPath = QStringLiteral(":/DB.plist");

// A record type: a template of ten field labels with an icon and a mask that says which fields
// are shown hidden like passwords. Types in the store's map are shared with the records of
// that type; a record's own custom type is a copy that the record owns.
class OTVType {
public:
    // Nothing is set but the labels "Field 1" .. "Field 10"; UID, name, icon and mask are absent.
    OTVType();

    // A new type: new UID, empty name, icon 31, mask 0, labels "Field 1" .. "Field 10".
    static std::shared_ptr<OTVType> createType();
    // The fixed type of records without one: UID "0000000000000000", the localised name
    // "Unfiled", icon 31, mask 0, default labels. Made on first use and kept.
    static std::shared_ptr<OTVType> UnfiledType();
    // A copy with the source's UID, name, icon, mask and labels. A caller that needs a new
    // identity sets a new UID.
    static std::shared_ptr<OTVType> createCopyforType(const OTVType& source);
    // One entry of the "Types" array of a type-template file ("UID", "Name", "IconID",
    // "Field 1" .. "Field 10", each {"Field_Name", "Mask"}); nullptr when the entry is unusable
    // (no UID of 16 hexadecimal characters, no name, or a value of the wrong kind).
    static std::shared_ptr<OTVType> createTypeFromDictionary(const QVariantMap& dictionary);
    // Every type of the template file at path, in file order. A file that cannot be read, is
    // no property list, has no "Types" array, holds one unusable entry or repeats a UID gives
    // an empty list
    // (and errorMessage, when given, says why): a vault is seeded from the whole file or not
    // at all.
    static QList<std::shared_ptr<OTVType>> readtypesFromFile(const QString& path, QString* errorMessage = nullptr);

    // "Field 1" .. "Field 10".
    static QString defaultLabel(int field);

    // Equal names, labels, icons and masks; the UID is not compared. Absent icons or masks
    // are equal to each other and unequal to any number; text compares by content, so a null
    // text equals the empty one.
    bool isEqualToType(const OTVType& other) const;
    // True when the icons, the masks or any label differ; the name is not compared.
    bool isNotEqualToCustomType(const OTVType& other) const;

    const QString& mTypeUID() const { return mTypeUID_; }
    void setMTypeUID(const QString& uid) { mTypeUID_ = uid; }

    QString mTypeName() const { return mTypeName_; }
    void setMTypeName(const QString& name) { mTypeName_ = name; }

    // The group chosen together with this type in the editors and the import; never stored.
    QString mSelectedGroupUID() const { return mSelectedGroupUID_; }
    void setMSelectedGroupUID(const QString& uid) { mSelectedGroupUID_ = uid; }

    std::optional<int> mTypeIconID() const { return mTypeIconID_; }
    void setMTypeIconID(std::optional<int> iconID) { mTypeIconID_ = iconID; }

    // Bit i set: field i + 1 is masked.
    std::optional<int> mTypeMask() const { return mTypeMask_; }
    void setMTypeMask(std::optional<int> mask) { mTypeMask_ = mask; }

    // The label of field 1 .. kNoOfFields; a null text for any other number, whose setting is
    // ignored.
    QString label(int field) const;
    void setLabel(int field, const QString& label);

private:
    bool sameLabelsIconAndMask(const OTVType& other) const;

    QString mTypeUID_;
    QString mTypeName_;
    QString mSelectedGroupUID_;
    std::optional<int> mTypeIconID_;
    std::optional<int> mTypeMask_;
    std::array<QString, kNoOfFields> mFields_;
};
