#pragma once

#include <array>
#include <string>

// The columns of a user list file, in file order. The first seven are text, the last four
// permission strings; the header line names them in this order too.
enum UserColumn : int {
    kUserColumnName = 0,
    kUserColumnPassword,
    kUserColumnConfirmPassword,
    kUserColumnFullName,
    kUserColumnDescription,
    kUserColumnEmail,
    kUserColumnPhone,
    kUserColumnGroupPermission,
    kUserColumnTypePermission,
    kUserColumnRecordPermission,
    kUserColumnDataPermission,
    kUserColumnCount
};

inline constexpr int kUserTextColumnCount = kUserColumnGroupPermission;
inline constexpr int kUserPermissionColumnCount = kUserColumnCount - kUserTextColumnCount;

// One row of a user list as read from the file: the bytes of each column (UTF-8 when the file
// is well formed), empty for a column the line did not have.
struct UserInfo {
    std::array<std::string, kUserColumnCount> columns;

    std::string& operator[](int column) { return columns.at(static_cast<size_t>(column)); }
    const std::string& operator[](int column) const { return columns.at(static_cast<size_t>(column)); }
};
