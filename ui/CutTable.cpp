#include "ui/CutTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>

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

std::array<std::string, kCutCount> CutPathsFromChoice(const std::string& strChosen) {
    std::string strFolder = FolderOf(strChosen);
    std::string strName = strChosen.substr(strFolder.size());

    bool bStandard = false;
    for (const SCut& cut : g_cuts) bStandard |= strcasecmp(strName.c_str(), cut.pszTable) == 0;

    std::array<std::string, kCutCount> paths;
    for (int i = 0; i < kCutCount; ++i) paths[i] = strFolder + g_cuts[i].pszTable;
    // A table under another name is the user's Brilliant table, kept exactly as chosen.
    if (!bStandard) paths[0] = strChosen;
    return paths;
}

bool CanOpenForReading(const std::string& strPath) {
    int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool bOk = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    close(fd);
    return bOk;
}
