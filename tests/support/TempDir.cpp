#include "tests/support/TempDir.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

CTempDir::CTempDir() {
    const char* pszBase = getenv("TMPDIR");
    std::string strTemplate = std::string(pszBase && *pszBase ? pszBase : "/tmp") +
                              "/kestrix-XXXXXX";
    if (!mkdtemp(strTemplate.data())) throw std::runtime_error("mkdtemp failed");
    m_strPath = strTemplate;
}

CTempDir::~CTempDir() {
    std::error_code ec;
    // Tests make files and folders read-only on purpose; give them back before removing.
    for (auto it = std::filesystem::recursive_directory_iterator(m_strPath, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(m_strPath, ec);
}

std::string CTempDir::File(const std::string& strName) const { return m_strPath + "/" + strName; }

std::string ReadFile(const std::string& strPath) {
    std::ifstream in(strPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const std::string& strPath, const std::string& strContent) {
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out << strContent;
    if (!out) throw std::runtime_error("cannot write " + strPath);
}

bool FileExists(const std::string& strPath) {
    std::error_code ec;
    return std::filesystem::exists(strPath, ec);
}
