#include "convert/CutTable.h"

#include <strings.h>

#include <filesystem>

#include "res/Strings.h"

const SCut g_cuts[kCutCount] = {
    {IDS_BRILLIANT, "rnddat.dbf", "TrvBrill.txt", true},
    {IDS_PEAR, "peardat.dbf", "TrvPear.txt", false},
    {IDS_MARQUISE, "mqdat.dbf", "TrvMarq.txt", false},
    {IDS_EMERALD, "emdat.dbf", "TrvEm.txt", false},
};

std::string FolderOf(const std::string& strPath) {
    size_t nSep = strPath.rfind(kFolderSeparator);
    return nSep == std::string::npos ? std::string() : strPath.substr(0, nSep + 1);
}

std::string PathAsStored(const std::string& strFolder, const std::string& strName) {
    namespace fs = std::filesystem;
    std::string strPath = strFolder + strName;
    std::error_code ec;
    if (fs::exists(strPath, ec)) return strPath;
    std::string strMatch;
    for (fs::directory_iterator it(strFolder.empty() ? "." : strFolder, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string strFound = it->path().filename().string();
        // The smallest of several spellings, so the choice never depends on directory order.
        if (strcasecmp(strFound.c_str(), strName.c_str()) == 0 &&
            (strMatch.empty() || strFound < strMatch))
            strMatch = strFound;
    }
    return strMatch.empty() ? strPath : strFolder + strMatch;
}

std::array<std::string, kCutCount> CutPathsFromChoice(const std::string& strChosen) {
    std::string strFolder = FolderOf(strChosen);
    std::string strName = strChosen.substr(strFolder.size());

    bool bStandard = false;
    for (const SCut& cut : g_cuts) bStandard |= strcasecmp(strName.c_str(), cut.pszTable) == 0;

    std::array<std::string, kCutCount> paths;
    for (int i = 0; i < kCutCount; ++i) paths[i] = PathAsStored(strFolder, g_cuts[i].pszTable);
    // A table under another name is the user's Brilliant table, kept exactly as chosen.
    if (!bStandard) paths[0] = strChosen;
    return paths;
}
