// Price tables reached the way the program reaches them: through the driver manager, our
// driver and the data source "zlmrt_conv", in a sandbox of the test's own.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "convert/Database.h"
#include "convert/PapRecord.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"

// The description of the error that `fn` throws.
template <typename Fn>
std::string ErrorOf(Fn fn) {
    try {
        fn();
    } catch (const CException& e) {
        return e.GetErrorMessage();
    }
    return "(no error)";
}

class PriceTableFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.RegisterDataSource()) << m_sandbox.InstallerError();
    }

    // Connects anew on the test's folder and opens `strTable`; throws CDBException.
    CPapRecord& OpenTable(const std::string& strTable) {
        m_rs.reset();
        m_db.OpenEx("DSN=zlmrt_conv;NULLSTARS=0;DEFAULTDIR=" + m_dir.Path() + "/");
        m_rs = std::make_unique<CPapRecord>(m_db);
        m_rs->SetTable(strTable);
        m_rs->Open();
        return *m_rs;
    }

    COdbcSandbox m_sandbox;  // first: before any ODBC call of the process
    CTempDir m_dir;
    CDatabase m_db;
    std::unique_ptr<CPapRecord> m_rs;  // destroyed before m_db
};
