// Where price-list files go when the user has not chosen a folder.
#pragma once

#include <cstdint>
#include <string>

// The remembered "OutputDir" as stored; else the companion application's installation
// folder followed by "\System" (on Linux, found in its Wine prefix and mapped to a Linux
// path); else the current directory. Empty when none of these can be had.
std::string DetermineOutputDirPath();

// Registry value types the companion rule looks at.
enum : uint32_t {
    kRegSz = 1,
    kRegExpandSz = 2,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiSz = 7,
};

// The size of the buffer the companion's "Path" value is read into; a longer value is
// not read at all.
inline constexpr size_t kPathValueBuffer = 260;

// The companion's System folder as a Windows path, from its "Path" value of type `nType`
// with the raw bytes `strData` (terminating NULs included, as the registry holds them).
// Empty for a type other than REG_SZ, REG_EXPAND_SZ or REG_MULTI_SZ and for data longer
// than the buffer. Otherwise the text up to the first NUL followed by "\System", with
// nothing expanded or trimmed: "C:\A\" gives "C:\A\\System", "" gives "\System".
std::string CompanionSystemDir(uint32_t nType, const std::string& strData);

// The platform's parts of the rule. The companion's System folder from its
// registration, as a path this platform opens (on Windows from the registry, elsewhere
// from the Wine prefix of $WINEPREFIX or ~/.wine); empty when it is not registered.
std::string CompanionOutputDir();
// The current directory, or empty.
std::string CurrentDir();

// Maps the Windows path `strWinPath` ("C:\...") to a Linux path through the drive links
// in `strPrefix`/dosdevices. Empty when the path has no drive letter or the drive is not
// linked.
std::string MapWinePath(const std::string& strPrefix, const std::string& strWinPath);
