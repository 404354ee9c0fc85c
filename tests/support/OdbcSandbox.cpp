#include "tests/support/OdbcSandbox.h"

#include <sql.h>
#include <sqlext.h>
#include <odbcinst.h>
#include <stdlib.h>

COdbcSandbox::COdbcSandbox(bool bRegisterDriver) {
    std::string strIni;
    if (bRegisterDriver) {
        strIni = std::string("[") + kDriverDescription +
                 "]\n"
                 "Description = kestrix read-only dBase III driver\n"
                 "Driver = " + DriverPath() + "\n"
                 "Setup = " + DriverPath() + "\n";
    }
    WriteFile(m_dir.File("odbcinst.ini"), strIni);
    WriteFile(m_dir.File("odbc.ini"), "");
    WriteFile(m_dir.File("user-odbc.ini"), "");
    setenv("ODBCSYSINI", m_dir.Path().c_str(), 1);
    setenv("ODBCINSTINI", "odbcinst.ini", 1);
    setenv("ODBCINI", m_dir.File("user-odbc.ini").c_str(), 1);
    setenv("HOME", m_dir.Path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", m_dir.File(".config").c_str(), 1);
}

bool COdbcSandbox::RegisterDataSource() {
    static const char szAttributes[] =
        "DSN=zlmrt_conv\0Description=dBase tables for kestrix program\0FIL=dBase III\0";
    return SQLConfigDataSource(nullptr, ODBC_ADD_DSN, kDriverDescription, szAttributes) != 0;
}

std::string COdbcSandbox::InstallerError() {
    DWORD nCode = 0;
    char szMessage[512] = {};
    WORD nLength = 0;
    RETCODE rc = SQLInstallerError(1, &nCode, szMessage, sizeof szMessage, &nLength);
    if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return "no installer error";
    return std::to_string(nCode) + ": " + szMessage;
}

std::string COdbcSandbox::DriverPath() { return KESTRIX_DRIVER_PATH; }
