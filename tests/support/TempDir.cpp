#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "log/FileOps.h"

CTempDir::CTempDir() {
    // A random name created exclusively: create_directory fails on an existing folder.
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec) base = "/tmp";
    std::random_device random;
    for (int nTry = 0; nTry < 100; ++nTry) {
        // A dot in every test's folder: code that looks for a file's extension must not
        // stop at a dot in the folder's name.
        std::string strName = "kestrix.t" + std::to_string(random() % 1000000000u);
        std::filesystem::path path = base / strName;
        if (std::filesystem::create_directory(path, ec) && !ec) {
            m_strPath = path.string();
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
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

std::string CTempDir::File(const std::string& strName) const {
    return m_strPath + kFolderSeparator + strName;
}

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
