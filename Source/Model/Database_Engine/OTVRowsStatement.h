#pragma once
// Inserts of many rows in one statement: one round trip to the server carries them all.
#include <string>
#include <string_view>

// `head` (up to and with VALUES) followed by `rows` copies of `row`, separated by commas.
inline std::string OTVRowsStatement(std::string_view head, std::string_view row, int rows)
{
    std::string sql(head);
    sql.reserve(head.size() + size_t(rows) * (row.size() + 1));
    for (int r = 0; r < rows; ++r) {
        if (r)
            sql += ',';
        sql += row;
    }
    return sql;
}

// The insert `singleRow`, whose SQL ends with its one parenthesised row, for `rows` rows.
inline std::string OTVRowsStatement(std::string_view singleRow, int rows)
{
    const size_t open = singleRow.rfind('(');
    return OTVRowsStatement(singleRow.substr(0, open), singleRow.substr(open), rows);
}
