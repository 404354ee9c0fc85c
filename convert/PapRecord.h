// The record set over one publisher's price table: eleven price columns F1..F9, FA, FB.
#pragma once

#include <string>

#include "convert/Database.h"

class CPapRecord : public CRecordset {
public:
    explicit CPapRecord(CDatabase& database) : CRecordset(database) {}

    // Names the table (file name without folder and extension) before Open.
    void SetTable(const std::string& strTable) { m_strTable = strTable; }

    // The current record's prices in column order; each is 0.0 when empty (see
    // IsFieldNull, indexes 0..10).
    double m_F1 = 0, m_F2 = 0, m_F3 = 0, m_F4 = 0, m_F5 = 0, m_F6 = 0, m_F7 = 0, m_F8 = 0, m_F9 = 0,
           m_FA = 0, m_FB = 0;
    std::string m_strTable;

    static constexpr int kFieldCount = 11;
    // Field `nField` (0..10) of the current record.
    double Field(int nField) const;

protected:
    // "[table]", with any "]" in the name doubled so that it cannot end the bracket.
    std::string GetDefaultSQL() override;
    void DoFieldExchange(CFieldExchange& fx) override;
};

// Counts the records of the open record set, stopping once the count passes 200, so a
// table of N records gives min(N, 201). Leaves the set on its first record. An empty
// table throws the no-data CDBException from the first move.
int CountRecords(CPapRecord& rs);
