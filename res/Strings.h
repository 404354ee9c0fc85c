// The program's string table: every text the user reads, keyed by its resource number.
#pragma once

#include "res/WinMacros.h"  // before the names Windows defines as macros

#include <string>

enum EStringId {
    IDS_ABOUTBOX = 101,
    IDS_NOT_ALL_FILES = 103,
    IDS_NO_CUT_SELECTED = 104,
    IDS_SETTINGS_KEY = 105,
    IDS_COMPANION_APP_KEY = 106,
    IDS_NO_OUTPUT_DIR = 107,
    IDS_SELECT_OUTPUT_DIR = 108,
    IDS_BRILLIANT = 109,
    IDS_MARQUISE = 110,
    IDS_PEAR = 111,
    IDS_EMERALD = 112,
    IDS_SELECT_CUT_FILE = 113,
    IDS_CONVERSION_FAILED = 114,
    IDS_SELECT_DBF_FILE = 115,
    IDS_WRONG_RECORD_COUNT = 116,
    IDS_CONVERSION_DONE = 117,
    IDS_ODBC_NOT_INSTALLED = 118,
    IDS_ODBC_PROBLEM = 119,
    IDS_ODBC_LOAD_FAILED = 120,
    IDS_ODBC_DRIVER_MISSING = 121,
    IDS_REPLACE_OUTPUT = 122,
    IDS_BACKUP_FAILED = 123,
};

// The text of string `nId`; empty for a number the table does not hold.
std::string LoadString(int nId);

// printf-style formatting of a string-table template (or any template) with text arguments.
// Only %s, %d and %% occur in the program's templates.
std::string FormatString(const std::string& strTemplate, const std::string& strArg1);
std::string FormatString(const std::string& strTemplate, const std::string& strArg1,
                         const std::string& strArg2);

// Told when a path from the window or the command line cannot be handed to the system
// (%s: the path, with "?" for what cannot be represented).
inline constexpr const char* kUnrepresentablePath =
    "The path \"%s\" contains characters that this system's code page cannot represent, "
    "so the file cannot be opened. Please rename the folder or file, or choose another one.";
