#include "res/Strings.h"

#include <cstdio>
#include <map>

namespace {

const std::map<int, const char*>& Table() {
    static const std::map<int, const char*> table = {
        {IDS_ABOUTBOX, "&About kestrix..."},
        {IDS_NOT_ALL_FILES,
         "Not all of the standard Zelmarot files (rnddat.dbf, peardat.dbf, mqdat.dbf, emdat.dbf) "
         "were found in the specified folder. Check the folder and correct file names in the "
         "\"File name\" column if needed."},
        {IDS_NO_CUT_SELECTED,
         "No cut is selected for load. Set check marks in \"Load?\" column for the cuts you want "
         "to load and make sure the correct path for input files is given in \"File name\" "
         "column.\nIf you do not want to load anything, click Cancel."},
        {IDS_SETTINGS_KEY, "Software\\Tarvesk Software\\kestrix"},
        {IDS_COMPANION_APP_KEY,
         "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Kovatrel.exe"},
        {IDS_NO_OUTPUT_DIR, "Cannot determine the output folder."},
        {IDS_SELECT_OUTPUT_DIR,
         "Select the output folder.\nConverted price lists will be placed there."},
        {IDS_BRILLIANT, "Brilliant"},
        {IDS_MARQUISE, "Marquise"},
        {IDS_PEAR, "Pear"},
        {IDS_EMERALD, "Emerald"},
        {IDS_SELECT_CUT_FILE, "Select DBF file for %s cut"},
        {IDS_CONVERSION_FAILED,
         "Data of some or all cuts was not loaded succesfully.\nLook at the error log (it "
         "follows) for details.\nCheck that all file names are specified correctly, remove "
         "\"Load?\" check mark from cuts that should not be loaded and click OK to try "
         "again.\nTo cancel the operation, click Cancel."},
        {IDS_SELECT_DBF_FILE, "Select DBF file with Zelmarot data"},
        {IDS_WRONG_RECORD_COUNT,
         "A wrong number of records is found in the dBase table. It can mean eather that you "
         "specified a wrong file (for example, data for Brilliant cut was specified as Pear "
         "data), or that the file is corrupted. See the error log for details."},
        {IDS_CONVERSION_DONE, "Conversion completed successfully."},
        {IDS_ODBC_NOT_INSTALLED,
         "This software requires ODBC to work with databases. Please installl the full version "
         "of the software.\nInstead, you can install ODBC from a different source (it is povided "
         "with Microsoft Office and many other programs). In this case, please note that an ODBC "
         "driver named \"Microsoft dBase Driver (*.dbf)\" is required to read Zelmarot data."},
        {IDS_ODBC_PROBLEM,
         "Cannot start the software due to a problem with ODBC. The most common reason is that "
         "ODBC or a required ODBC driver is installed incorrectly. You may need to install the "
         "full version ot the software to restore the functionality."},
        {IDS_ODBC_LOAD_FAILED,
         "Cannot load ODBC library. To restore the functionality you may need to install the "
         "full version of the software, which includes ODBC files and necessary ODBC drivers."},
        {IDS_ODBC_DRIVER_MISSING,
         "Cannot start the software, as the required ODBC driver is missing. You may need to "
         "install the full version of the software, or install the ODBC driver named \"Microsoft "
         "dBase Driver (*.dbf)\" from a different source. It is included in Microsoft Office  "
         "and many other programs."},
        {IDS_REPLACE_OUTPUT,
         "\"%s\" output file (%s cut) already exists. Replace existing files and create a backup "
         "copy?\nYes - replace existing files and create a copy.\nNo - replace the file and do "
         "not create a copy.\nCancel - do not convert the cut."},
        {IDS_BACKUP_FAILED,
         "Backup copy of \"%s\" file (%s cut) cannot be created. Overwrite the file anyway?"},
    };
    return table;
}

// Replaces the first %s (or %d) of `str` from `pos` on with `strArg`; returns where to go on.
size_t Substitute(std::string& str, size_t pos, const std::string& strArg) {
    while ((pos = str.find('%', pos)) != std::string::npos && pos + 1 < str.size()) {
        char c = str[pos + 1];
        if (c == '%') {
            str.erase(pos, 1);
            ++pos;
        } else if (c == 's' || c == 'd') {
            str.replace(pos, 2, strArg);
            return pos + strArg.size();
        } else {
            ++pos;
        }
    }
    return std::string::npos;
}

}  // namespace

std::string LoadString(int nId) {
    auto it = Table().find(nId);
    return it == Table().end() ? std::string() : it->second;
}

std::string FormatString(const std::string& strTemplate, const std::string& strArg1) {
    std::string str = strTemplate;
    Substitute(str, 0, strArg1);
    return str;
}

std::string FormatString(const std::string& strTemplate, const std::string& strArg1,
                         const std::string& strArg2) {
    std::string str = strTemplate;
    size_t pos = Substitute(str, 0, strArg1);
    if (pos != std::string::npos) Substitute(str, pos, strArg2);
    return str;
}
