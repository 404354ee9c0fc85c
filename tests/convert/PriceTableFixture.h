// A fixture that reaches price tables the way the program does: through the driver
// manager, our driver and the data source "zlmrt_conv", in a sandbox of its own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "convert/Database.h"
#include "convert/PapRecord.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"

class PriceTableFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.RegisterDataSource()) << m_sandbox.InstallerError();
    }

    // Writes `rows` as the price table `strName`.dbf in the test's folder.
    void WriteTable(const std::string& strName, const std::vector<CPriceRow>& rows) {
        ASSERT_TRUE(WriteDbf(m_dir.File(strName + ".dbf"), PriceColumns(), rows));
    }
    // Writes the predictable table of `nRecords` records (PriceValue).
    void WriteNumberedTable(const std::string& strName, int nRecords) {
        ASSERT_TRUE(WritePriceTable(m_dir.File(strName + ".dbf"), nRecords));
    }

    // Connects on the test's folder and opens `strTable`; throws CDBException.
    CPapRecord& OpenTable(const std::string& strTable) {
        m_db.OpenEx("DSN=zlmrt_conv;DEFAULTDIR=" + m_dir.Path() + "/");
        m_rs = std::make_unique<CPapRecord>(m_db);
        m_rs->SetTable(strTable);
        m_rs->Open();
        return *m_rs;
    }

    COdbcSandbox m_sandbox;  // first: before any ODBC call of the process
    CTempDir m_dir;
    CDatabase m_db;
    std::unique_ptr<CPapRecord> m_rs;  // declared after m_db, so destroyed before it
};
