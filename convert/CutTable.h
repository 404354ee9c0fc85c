// The four cuts in their fixed order, and the start-up rule that turns one chosen price
// table into the four input paths. No widgets: the window and the headless converter
// share it.
#pragma once

#include <array>
#include <string>

#include "log/FileOps.h"

struct SCut {
    int nNameId;            // string-table id of the display name
    const char* pszTable;   // standard table name, lower case
    const char* pszOutput;  // price-list file name, without folder
    bool bNineteen;         // true for the 19-table layout (Brilliant only)
};

inline constexpr int kCutCount = 4;

// Brilliant, Pear, Marquise, Emerald: the order in which cuts are shown and converted.
extern const SCut g_cuts[kCutCount];

// `strPath` up to and including its last folder separator; empty when it has none.
std::string FolderOf(const std::string& strPath);

// `strFolder` followed by `strName` as the folder spells it. Tables from DOS media are
// often "RNDDAT.DBF"; the driver finds them whatever their letter case, and so must the
// program, or a case-sensitive file system would hide them. When several names differ
// only in case the smallest is taken; when none matches, `strName` as given.
std::string PathAsStored(const std::string& strFolder, const std::string& strName);

// The four input paths for a table chosen at start-up. A standard table name in any
// letter case gives the four standard names in its folder; any other file is taken as
// the Brilliant table, the other three get the standard names in its folder, each spelt
// as the folder holds it (PathAsStored).
std::array<std::string, kCutCount> CutPathsFromChoice(const std::string& strChosen);
