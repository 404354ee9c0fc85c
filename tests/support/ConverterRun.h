// kestrix-convert copied into a temporary folder beside the four standard tables, run
// by the shell with a sandboxed ODBC setup and home. Commands name the folder "$D" and
// the copied converter "$K".
#pragma once

#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"

struct SResult {
    int nStatus;
    std::string strOut, strErr;
};

class ConverterRunTest : public ::testing::Test {
protected:
    ConverterRunTest() {
        for (const char* psz : {"bin", "in", "out", "out2", "out3", "cwd"})
            std::filesystem::create_directories(m_dir.File(psz));
        for (const char* psz : {"rnddat.dbf", "peardat.dbf", "mqdat.dbf", "emdat.dbf"})
            WritePriceTable(m_dir.File("in/") + psz, psz[0] == 'r' ? 150 : 130);
        std::filesystem::copy_file(KESTRIX_CONVERT_PATH, m_dir.File("bin/kestrix-convert"));
        setenv("D", m_dir.Path().c_str(), 1);
        setenv("K", m_dir.File("bin/kestrix-convert").c_str(), 1);
        setenv("WINEPREFIX", m_dir.File("no-wine").c_str(), 1);
    }
    // Runs a shell command; its exit status (-1 if killed), standard output and error.
    SResult Shell(const std::string& strCommand) {
        int nRaw = std::system((strCommand + R"( >"$D/stdout" 2>"$D/stderr")").c_str());
        return {WIFEXITED(nRaw) ? WEXITSTATUS(nRaw) : -1, ReadFile(m_dir.File("stdout")),
                ReadFile(m_dir.File("stderr"))};
    }
    std::string Out(const std::string& strName) { return m_dir.File("out/" + strName); }

    COdbcSandbox m_odbc;
    CTempDir m_dir;
};
