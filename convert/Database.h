// A small connection and record-set layer over the ODBC C API of the driver manager,
// which is loaded when the first connection opens (see OdbcLibrary.h).
// Every failure is thrown as a CDBException whose description is built from the
// diagnostic records of the failing handle. Objects close what they hold when destroyed,
// so a record set must be destroyed (or closed) before the database it runs on.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <string>
#include <vector>

#include "convert/Exceptions.h"

// A read-only connection to a data source.
class CDatabase {
public:
    CDatabase() = default;
    ~CDatabase();  // closes
    CDatabase(const CDatabase&) = delete;
    CDatabase& operator=(const CDatabase&) = delete;

    // Connects with `strConnect` (e.g. "DSN=zlmrt_conv;DEFAULTDIR=/data/"), read-only and
    // never prompting for missing details. Throws CDBException; the object is then closed.
    void OpenEx(const std::string& strConnect);
    // Disconnects and frees the handles; harmless when not open.
    void Close();
    bool IsOpen() const { return m_bConnected; }

    // The connection handle for record sets; only valid while open.
    SQLHDBC Handle() const { return m_hDbc; }

private:
    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
    bool m_bConnected = false;
};

// Collects the columns a record set binds, in field order.
class CFieldExchange {
public:
    // Binds `value` to the result column `strColumn` (as written in the select list).
    void Double(const std::string& strColumn, double& value);

    struct SField {
        std::string strColumn;
        double* pValue;
    };
    const std::vector<SField>& Fields() const { return m_fields; }

private:
    std::vector<SField> m_fields;
};

// A read-only snapshot (static cursor) over the rows of one query. Derived classes name
// their query with GetDefaultSQL (a bracketed table name) and their bound fields with
// DoFieldExchange. The database must stay open while the record set is open.
class CRecordset {
public:
    explicit CRecordset(CDatabase& database) : m_database(database) {}
    virtual ~CRecordset();  // closes
    CRecordset(const CRecordset&) = delete;
    CRecordset& operator=(const CRecordset&) = delete;

    // Runs "SELECT <columns>  FROM <default SQL>" and stands on the first record, or at
    // the end when there is none. Throws CDBException; the record set is then closed.
    void Open();
    void Close();  // harmless when not open
    bool IsOpen() const { return m_hStmt != SQL_NULL_HSTMT; }

    // Moving on a record set without records, or past its end, throws the no-data error.
    void MoveFirst();
    void MoveNext();
    // True once a move has gone past the last record (or the set holds no records).
    bool IsEOF() const { return m_bEOF; }

    // Whether bound field `nField` (from 0, in exchange order) is empty in the current
    // record; an empty field's variable holds 0.0.
    bool IsFieldNull(int nField) const;

    // The query text Open sends, built from GetDefaultSQL and DoFieldExchange.
    std::string GetSelectSQL();

    // The description of the error thrown when a move finds no records.
    static const char* const kNoDataMessage;

protected:
    virtual std::string GetDefaultSQL() = 0;
    virtual void DoFieldExchange(CFieldExchange& fx) = 0;

private:
    void Fetch(SQLSMALLINT nOrientation);

    CDatabase& m_database;
    SQLHSTMT m_hStmt = SQL_NULL_HSTMT;
    CFieldExchange m_fields;
    std::vector<SQLLEN> m_indicators;
    bool m_bEOF = true;
    bool m_bEmpty = true;
};

// Throws a CDBException described by every diagnostic record of `hHandle`.
[[noreturn]] void ThrowDBException(SQLSMALLINT nHandleType, SQLHANDLE hHandle);

// One diagnostic message without its leading "[...]" origin tags and the blank after them.
std::string StripOriginTags(const std::string& strMessage);
