#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace sql {
class PreparedStatement;
class ResultSet;
class SQLString;
class Statement;
} // namespace sql

class DataBuf;
class BinaryStream;

// The seam's name for the commit that ends a transaction.
inline constexpr char kOTVCommitStatement[] = "COMMIT";

// The test seam under the connector: tests arm a fault for an SQL text, and the n-th execution
// of that text from then on throws instead of running. Every execution of the store goes
// through OTVStatement or OTVDataBase::executePlain, which ask here first. Nothing is armed in
// the application, where the check is one atomic load.
class OTVStatementFaults {
public:
    // The n-th execution (1 = the next one) of `sql` throws sql::SQLException(message, "HY000",
    // errorNumber) without reaching the server. One shot: later executions run normally.
    void failExecution(const std::string& sql, int nth, int errorNumber,
                       const std::string& message = "Injected database error");
    // The same with an exception that is not a database error (std::runtime_error).
    void failExecutionWithOtherException(const std::string& sql, int nth);
    // Runs `action` before the n-th execution of `sql`, which then runs normally: a test does
    // another client's work at that point of an operation.
    void interruptExecution(const std::string& sql, int nth, std::function<void()> action);
    void clear();

    // Called before each execution of `sql`; throws when an armed fault is due.
    void beforeExecution(const std::string& sql);

private:
    struct Fault {
        std::string sql;
        int remaining;           // executions until it fires, counting this one
        bool databaseError;
        int errorNumber;
        std::string message;
        std::function<void()> action;   // set: runs instead of throwing
    };
    void arm(Fault fault);

    std::atomic<bool> armed_{false};
    std::mutex mutex_;
    std::vector<Fault> faults_;
};

// A result set that deletes itself (and keeps the statement that made it alive until then).
// Columns are 1-based positions or column labels; text is UTF-8. BLOB columns are read whole,
// whatever their length.
class OTVResultSet {
public:
    explicit OTVResultSet(std::unique_ptr<sql::ResultSet> result, std::shared_ptr<sql::Statement> statement = {});
    OTVResultSet(OTVResultSet&&) noexcept;
    OTVResultSet& operator=(OTVResultSet&&) noexcept;
    ~OTVResultSet();

    bool next();
    size_t rowsCount() const;

    QString getString(uint32_t column) const;
    QString getString(const char* label) const;
    int32_t getInt(uint32_t column) const;
    int32_t getInt(const char* label) const;
    uint32_t getUInt(uint32_t column) const;
    uint32_t getUInt(const char* label) const;
    int64_t getInt64(uint32_t column) const;
    int64_t getInt64(const char* label) const;
    bool getBoolean(uint32_t column) const;
    bool getBoolean(const char* label) const;
    bool isNull(uint32_t column) const;
    bool isNull(const char* label) const;
    // All bytes of the column (empty for NULL).
    QByteArray getBlob(uint32_t column) const;
    QByteArray getBlob(const char* label) const;
    // The column's bytes as the connector holds them, handed to `take` without a copy of their
    // own (valid only during the call): a load reads a million values this way.
    void readBytes(uint32_t column, const std::function<void(const char* bytes, size_t size)>& take) const;

private:
    std::shared_ptr<sql::Statement> statement_;   // destroyed after the result set
    std::unique_ptr<sql::ResultSet> result_;
};

// A prepared statement that deletes itself, with its parameters bound by 1-based position.
// BLOB parameters are handed to the connector as a BinaryStream over a DataBuf holding a copy
// of the bytes; the statement keeps both alive until it is destroyed.
class OTVStatement {
public:
    OTVStatement(std::unique_ptr<sql::PreparedStatement> statement, std::string sql,
                 OTVStatementFaults* faults);
    // A statement that others use in turn: its parameters are cleared when this one ends.
    OTVStatement(std::shared_ptr<sql::PreparedStatement> statement, std::string sql, OTVStatementFaults* faults);
    OTVStatement(OTVStatement&&) noexcept;
    OTVStatement& operator=(OTVStatement&&) noexcept;
    ~OTVStatement();

    void setString(unsigned index, const QString& value);
    void setBlob(unsigned index, const QByteArray& bytes);
    // The bytes inside the statement's own packet, as a string of the connection's character
    // set: for statements that bind thousands of values, where a BLOB's packet of its own per
    // value costs a round of sending each. The SQL must take the parameter as CAST(? AS BINARY)
    // wherever the value would otherwise be read as text (a derived table's column).
    void setBytes(unsigned index, const QByteArray& bytes);
    void setInt(unsigned index, int32_t value);
    void setUInt(unsigned index, uint32_t value);
    void setInt64(unsigned index, int64_t value);
    void setBoolean(unsigned index, bool value);
    void setDateTime(unsigned index, const QString& value);
    void setNull(unsigned index);
    void clearParameters();

    // The number of rows changed (0 for an ignored insert and for an update that changed
    // nothing: the connector does not ask for found rows).
    int executeUpdate();
    OTVResultSet executeQuery();

    const std::string& sql() const { return sql_; }

private:
    struct BoundBlob;

    std::shared_ptr<sql::PreparedStatement> statement_;
    std::string sql_;
    OTVStatementFaults* faults_;
    std::vector<std::unique_ptr<BoundBlob>> blobs_;
};

QString OTVStringFromSQL(const sql::SQLString& text);
