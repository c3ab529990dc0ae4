#include "OTVStatement.h"

#include "Model/Ciphers/BinaryStream.h"
#include "Model/Ciphers/DataBuf.h"

#include <cppconn/datatype.h>
#include <cppconn/exception.h>
#include <cppconn/prepared_statement.h>
#include <cppconn/resultset.h>

#include <algorithm>
#include <iterator>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>

QString OTVStringFromSQL(const sql::SQLString& text)
{
    return QString::fromStdString(text.asStdString());
}

// ---------------------------------------------------------------------------------------------
// OTVStatementFaults

void OTVStatementFaults::failExecution(const std::string& sql, int nth, int errorNumber,
                                       const std::string& message)
{
    arm({sql, nth, true, errorNumber, message, {}});
}

void OTVStatementFaults::failExecutionWithOtherException(const std::string& sql, int nth)
{
    arm({sql, nth, false, 0, "Injected failure", {}});
}

void OTVStatementFaults::interruptExecution(const std::string& sql, int nth, std::function<void()> action)
{
    arm({sql, nth, false, 0, {}, std::move(action)});
}

void OTVStatementFaults::arm(Fault fault)
{
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.push_back(std::move(fault));
    armed_.store(true);
}

void OTVStatementFaults::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.clear();
    armed_.store(false);
}

void OTVStatementFaults::beforeExecution(const std::string& sql)
{
    if (!armed_.load())
        return;
    std::optional<Fault> due;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (auto it = faults_.begin(); it != faults_.end(); ++it) {
            if (it->sql != sql || --it->remaining > 0)
                continue;
            due = std::move(*it);
            faults_.erase(it);
            armed_.store(!faults_.empty());
            break;
        }
    }
    if (!due)
        return;
    // Unlocked: the action may run statements of its own.
    if (due->action)
        due->action();
    else if (due->databaseError)
        throw sql::SQLException(due->message, "HY000", due->errorNumber);
    else
        throw std::runtime_error(due->message);
}

// ---------------------------------------------------------------------------------------------
// OTVResultSet

OTVResultSet::OTVResultSet(std::unique_ptr<sql::ResultSet> result, std::shared_ptr<sql::Statement> statement)
    : statement_(std::move(statement)), result_(std::move(result))
{
}
OTVResultSet::OTVResultSet(OTVResultSet&&) noexcept = default;
OTVResultSet& OTVResultSet::operator=(OTVResultSet&&) noexcept = default;
OTVResultSet::~OTVResultSet() = default;

bool OTVResultSet::next()
{
    return result_->next();
}

size_t OTVResultSet::rowsCount() const
{
    return result_->rowsCount();
}

QString OTVResultSet::getString(uint32_t column) const { return OTVStringFromSQL(result_->getString(column)); }
QString OTVResultSet::getString(const char* label) const { return OTVStringFromSQL(result_->getString(label)); }
int32_t OTVResultSet::getInt(uint32_t column) const { return result_->getInt(column); }
int32_t OTVResultSet::getInt(const char* label) const { return result_->getInt(label); }
uint32_t OTVResultSet::getUInt(uint32_t column) const { return result_->getUInt(column); }
uint32_t OTVResultSet::getUInt(const char* label) const { return result_->getUInt(label); }
int64_t OTVResultSet::getInt64(uint32_t column) const { return result_->getInt64(column); }
int64_t OTVResultSet::getInt64(const char* label) const { return result_->getInt64(label); }
bool OTVResultSet::getBoolean(uint32_t column) const { return result_->getBoolean(column); }
bool OTVResultSet::getBoolean(const char* label) const { return result_->getBoolean(label); }
bool OTVResultSet::isNull(uint32_t column) const { return result_->isNull(column); }
bool OTVResultSet::isNull(const char* label) const { return result_->isNull(label); }

namespace {
// The connector's text of a column holds all of its bytes, zeros included (its BLOB stream is
// made from the same text): taken directly, a loaded vault's million values cost no stream.
QByteArray bytesOf(const sql::SQLString& text)
{
    const std::string& bytes = text.asStdString();
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}
} // namespace

QByteArray OTVResultSet::getBlob(uint32_t column) const { return bytesOf(result_->getString(column)); }
QByteArray OTVResultSet::getBlob(const char* label) const { return bytesOf(result_->getString(label)); }

void OTVResultSet::readBytes(uint32_t column, const std::function<void(const char*, size_t)>& take) const
{
    const sql::SQLString text = result_->getString(column);
    const std::string& bytes = text.asStdString();
    take(bytes.data(), bytes.size());
}

// ---------------------------------------------------------------------------------------------
// OTVStatement

// The bytes travel as the stored-value ciphers hand them over: a BinaryStream over a DataBuf
// that owns a malloc copy (an empty value gives an empty BLOB, not NULL).
struct OTVStatement::BoundBlob {
    explicit BoundBlob(const QByteArray& bytes) : buffer(copyOf(bytes)), stream(buffer.get()) {}

    static std::unique_ptr<DataBuf> copyOf(const QByteArray& bytes)
    {
        if (bytes.isEmpty())
            return std::make_unique<DataBuf>();
        char* copy = static_cast<char*>(std::malloc(size_t(bytes.size())));
        if (!copy)
            throw std::bad_alloc();
        std::memcpy(copy, bytes.constData(), size_t(bytes.size()));
        return std::make_unique<DataBuf>(copy, static_cast<unsigned long>(bytes.size()));
    }

    std::unique_ptr<DataBuf> buffer;
    BinaryStream stream;   // declared after the buffer it reads: destroyed first
};

OTVStatement::OTVStatement(std::unique_ptr<sql::PreparedStatement> statement, std::string sql,
                           OTVStatementFaults* faults)
    : statement_(std::move(statement)), sql_(std::move(sql)), faults_(faults)
{
}

OTVStatement::OTVStatement(std::shared_ptr<sql::PreparedStatement> statement, std::string sql,
                           OTVStatementFaults* faults)
    : statement_(std::move(statement)), sql_(std::move(sql)), faults_(faults)
{
}

OTVStatement::OTVStatement(OTVStatement&&) noexcept = default;
OTVStatement& OTVStatement::operator=(OTVStatement&&) noexcept = default;

OTVStatement::~OTVStatement()
{
    // The connector may still refer to the bound streams: it lets go of them first. (A result
    // set that outlives this statement keeps it, but no longer reads the parameters.)
    try {
        if (statement_)
            statement_->clearParameters();
    } catch (const std::exception&) {
        // a closed statement refers to nothing any more
    }
    statement_.reset();
}

void OTVStatement::setString(unsigned index, const QString& value) { statement_->setString(index, value.toStdString()); }
void OTVStatement::setInt(unsigned index, int32_t value) { statement_->setInt(index, value); }
void OTVStatement::setUInt(unsigned index, uint32_t value) { statement_->setUInt(index, value); }
void OTVStatement::setInt64(unsigned index, int64_t value) { statement_->setInt64(index, value); }
void OTVStatement::setBoolean(unsigned index, bool value) { statement_->setBoolean(index, value); }
void OTVStatement::setDateTime(unsigned index, const QString& value) { statement_->setDateTime(index, value.toStdString()); }
void OTVStatement::setNull(unsigned index) { statement_->setNull(index, sql::DataType::VARCHAR); }

void OTVStatement::setBlob(unsigned index, const QByteArray& bytes)
{
    blobs_.push_back(std::make_unique<BoundBlob>(bytes));
    statement_->setBlob(index, &blobs_.back()->stream);
}

void OTVStatement::setBytes(unsigned index, const QByteArray& bytes)
{
    statement_->setString(index, std::string(bytes.constData(), size_t(bytes.size())));
}

void OTVStatement::clearParameters()
{
    statement_->clearParameters();
    // The connector has let go of the streams: a statement run once per row keeps only the
    // bytes of the row at hand.
    blobs_.clear();
}

int OTVStatement::executeUpdate()
{
    if (faults_)
        faults_->beforeExecution(sql_);
    return statement_->executeUpdate();
}

OTVResultSet OTVStatement::executeQuery()
{
    if (faults_)
        faults_->beforeExecution(sql_);
    return OTVResultSet(std::unique_ptr<sql::ResultSet>(statement_->executeQuery()), statement_);
}
