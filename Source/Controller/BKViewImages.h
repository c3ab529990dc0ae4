#pragma once

// The images of the record views, all from here: the named images of the cells and headers and
// the icons of record types. Views never load an image themselves, so the set can change in one
// place.

#include <QImage>
#include <QString>

class OTVDataBase;
class OTVType;

inline const QString kSmartListImageName = QStringLiteral("24_folder");
inline const QString kNotesImageName = QStringLiteral("16x16_Paste");
inline const QString kAttachmentImageName = QStringLiteral("PaperClip");
inline const QString kEncryptImageName = QStringLiteral("16x16_Encrypt");
inline const QString kUserImageName = QStringLiteral("User");
// The user-account window's toolbar.
inline const QString kPasswordPolicyImageName = QStringLiteral("password-policy");
inline const QString kImportUsersImageName = QStringLiteral("import-users");
inline const QString kExportUsersImageName = QStringLiteral("export-users");
// The record commands (menus, context menu, the views' record buttons).
inline const QString kCutImageName = QStringLiteral("16x16_Cut");
inline const QString kCopyImageName = QStringLiteral("16x16_Copy");
inline const QString kAddImageName = QStringLiteral("16x16_Add");
inline const QString kEditImageName = QStringLiteral("16x16_Edit");
inline const QString kDeleteImageName = QStringLiteral("16x16_Delete");
inline const QString kPreferencesImageName = QStringLiteral("16x16_Preferences");
inline const QString kGlobeImageName = QStringLiteral("16x16_Globe");
inline const QString kPrintImageName = QStringLiteral("print_16");
inline const QString kVRXImageName = QStringLiteral("vrx_16x16");
inline const QString kAddAttachmentImageName = QStringLiteral("AddAttachment");
inline const QString kDeleteAttachmentImageName = QStringLiteral("DeleteAttachment");
inline const QString kAddTypeImageName = QStringLiteral("AddType");
// The details-pane toggle of the views.
inline const QString kDetailsPaneImageName = QStringLiteral("details-pane");

namespace BKViewImages {

// One of the names above (a null image for any other name).
QImage namedImage(const QString& name);

// The icon of a type (its icon number, kDefaultIconID when it names none) as the store gives it;
// a drawn stand-in when the store has no image for that number.
QImage typeIcon(const OTVDataBase& store, const OTVType* type);

} // namespace BKViewImages
