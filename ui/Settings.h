// The per-user settings store: string values by section and entry. A missing value reads
// as empty; failures are silent. Windows keeps them in the registry under
// HKEY_CURRENT_USER\Software\<settings key>\<application name>\<section>; elsewhere in
// "<config dir>/Tarvesk Software/kestrix/<application name>.ini".
#pragma once

#include "res/WinMacros.h"  // before the names Windows defines as macros

#include <string>

#include "convert/ConvertCut.h"

// The executable's file name without folder and extension ("kestrix" as delivered):
// caption of every message box and a level of the settings' location.
std::string AppName();

std::string GetProfileString(const std::string& strSection, const std::string& strEntry);
void WriteProfileString(const std::string& strSection, const std::string& strEntry,
                        const std::string& strValue);

// Section and entries the program uses.
inline constexpr const char* kSectionGeneral = "General";
inline constexpr const char* kEntryInputDir = "InputDir";
inline constexpr const char* kEntryOutputDir = "OutputDir";

// The two remembered folders, each with its one reader and writer; both read as empty
// until first written.
class CRememberedFolders : public IOutputDirStore {
public:
    std::string InputDir() const { return GetProfileString(kSectionGeneral, kEntryInputDir); }
    void RememberInputDir(const std::string& strDir) {
        WriteProfileString(kSectionGeneral, kEntryInputDir, strDir);
    }
    std::string OutputDir() const { return GetProfileString(kSectionGeneral, kEntryOutputDir); }
    void RememberOutputDir(const std::string& strDir) override {
        WriteProfileString(kSectionGeneral, kEntryOutputDir, strDir);
    }
};
