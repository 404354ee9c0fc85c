#include "ui/Settings.h"

#include "log/RunLog.h"
#include "res/Strings.h"

std::string AppName() {
    std::string strPath = ExecutablePath();
    size_t nSep = strPath.find_last_of("/\\");
    std::string strName = nSep == std::string::npos ? strPath : strPath.substr(nSep + 1);
    size_t nDot = strName.rfind('.');
    if (nDot != std::string::npos) strName.erase(nDot);
    return strName.empty() ? std::string("kestrix") : strName;
}
