#pragma once

#include <QtGlobal>

// Permission words are unsigned 16-bit. The group, type and record words use three bits; the
// data word uses six, one per data operation of the interface. A group's record word can
// prevail over the user's own (BKGroup::mPreferencePermissions).
inline constexpr quint16 kPermissionAdd = 1;
inline constexpr quint16 kPermissionEdit = 2;
inline constexpr quint16 kPermissionDelete = 4;

// The data word's bits, one per data operation, in the order of the Users window's grid (row by
// row): Copy covers every copy of a value to the clipboard.
inline constexpr quint16 kDataPermissionCopy = 1;
inline constexpr quint16 kDataPermissionPrint = 2;
inline constexpr quint16 kDataPermissionExport = 4;
inline constexpr quint16 kDataPermissionImport = 8;
inline constexpr quint16 kDataPermissionBackup = 16;
inline constexpr quint16 kDataPermissionRestore = 32;

inline constexpr quint16 kFullGroupRights = 7;
inline constexpr quint16 kFullTypeRights = 7;
inline constexpr quint16 kFullRecordRights = 7;
inline constexpr quint16 kFullDataRights = 63;

// True when any bit of mask is granted by word. Only the word's low 16 bits count: the words
// are read from INT columns, and a wider value must not grant anything by its upper bits.
inline constexpr bool isPermitted(qint64 mask, qint64 word)
{
    return (mask & word & 0xFFFF) != 0;
}
