#include "ui/WineRegistry.h"

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "driver/base/Utf16.h"

namespace {

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// Reads escaped text from `s` at `i` up to an unescaped `cEnd`, leaving `i` after it.
// Wine escapes backslash, quote and brackets with a backslash, control characters with
// C letters or octal digits, and characters beyond ASCII as \x and up to four hex digits.
bool ReadEscaped(const std::string& s, size_t& i, char cEnd, std::string& out) {
    while (i < s.size() && s[i] != cEnd) {
        char c = s[i++];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i >= s.size()) return false;
        c = s[i++];
        static const std::string kLetters = "abefnrtv", kCodes = "\a\b\x1b\f\n\r\t\v";
        if (size_t n = kLetters.find(c); n != std::string::npos) {
            out += kCodes[n];
        } else if (c == 'x' && i < s.size() && IsHex(s[i])) {
            size_t nStart = i;
            while (i < s.size() && i - nStart < 4 && IsHex(s[i])) ++i;
            kdbf::AppendUtf8(out, static_cast<char32_t>(std::strtoul(s.substr(nStart, i - nStart).c_str(), nullptr, 16)));
        } else if (c >= '0' && c <= '7') {
            uint32_t n = static_cast<uint32_t>(c - '0');
            for (int k = 0; k < 2 && i < s.size() && s[i] >= '0' && s[i] <= '7'; ++k)
                n = n * 8 + static_cast<uint32_t>(s[i++] - '0');
            kdbf::AppendUtf8(out, n);
        } else {
            out += c;
        }
    }
    if (i >= s.size()) return false;
    ++i;
    return true;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Comma-separated hex bytes ("41,00,42,00"); blanks allowed between them.
bool ParseHexBytes(const std::string& s, std::string& out) {
    std::istringstream in(s);
    std::string strByte;
    while (std::getline(in, strByte, ',')) {
        size_t b = strByte.find_first_not_of(" \t"), e = strByte.find_last_not_of(" \t");
        if (b == std::string::npos) continue;
        strByte = strByte.substr(b, e - b + 1);
        if (strByte.size() > 2 || !IsHex(strByte[0]) || !IsHex(strByte.back())) return false;
        out += static_cast<char>(std::strtoul(strByte.c_str(), nullptr, 16));
    }
    return true;
}

// Wine keeps string data as UTF-16LE; the ANSI functions hand it out 8-bit encoded.
bool Utf16ToUtf8(const std::string& bytes, std::string& out) {
    if (bytes.size() % 2 != 0) return false;
    std::u16string units;
    for (size_t i = 0; i < bytes.size(); i += 2)
        units += static_cast<char16_t>(static_cast<uint8_t>(bytes[i]) | static_cast<uint8_t>(bytes[i + 1]) << 8);
    out += kdbf::Utf16ToUtf8(units);
    return true;
}

bool IsStringType(uint32_t nType) { return nType == 1 || nType == 2 || nType == 7; }

// The text after "=" of a value line.
bool ParseValue(const std::string& s, SRegValue& value) {
    size_t i = 0;
    value.nType = 1;
    if (s.rfind("str(", 0) == 0 || s.rfind("hex(", 0) == 0) {
        size_t nClose = s.find("):", 4);
        if (nClose == std::string::npos) return false;
        value.nType = static_cast<uint32_t>(std::strtoul(s.substr(4, nClose - 4).c_str(), nullptr, 16));
        i = nClose + 2;
    } else if (s.rfind("hex:", 0) == 0) {
        value.nType = 3;
        i = 4;
    } else if (s.rfind("dword:", 0) == 0) {
        uint32_t n = static_cast<uint32_t>(std::strtoul(s.c_str() + 6, nullptr, 16));
        value = {4, std::string{static_cast<char>(n), static_cast<char>(n >> 8),
                                static_cast<char>(n >> 16), static_cast<char>(n >> 24)}};
        return true;
    }
    value.strData.clear();
    if (s.compare(i, 1, "\"") == 0) {
        ++i;
        if (!ReadEscaped(s, i, '"', value.strData)) return false;
        value.strData += '\0';  // the file leaves out the terminator the registry holds
        return true;
    }
    std::string bytes;
    if (!ParseHexBytes(s.substr(i), bytes)) return false;
    if (!IsStringType(value.nType)) {
        value.strData = bytes;
        return true;
    }
    return Utf16ToUtf8(bytes, value.strData);
}

// The file's lines, with hex values continued over several lines joined into one.
std::vector<std::string> LogicalLines(const std::string& strText) {
    std::vector<std::string> lines;
    std::istringstream in(strText);
    std::string strLine, strJoined;
    while (std::getline(in, strLine)) {
        if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
        if (!strJoined.empty()) strLine.erase(0, strLine.find_first_not_of(" \t"));
        strJoined += strLine;
        if (!strJoined.empty() && strJoined.back() == '\\' && strJoined[0] != '[') {
            strJoined.pop_back();
            continue;
        }
        lines.push_back(strJoined);
        strJoined.clear();
    }
    if (!strJoined.empty()) lines.push_back(strJoined);
    return lines;
}

}  // namespace

bool FindWineRegValue(const std::string& strRegText, const std::string& strKey,
                      const std::string& strName, SRegValue& value) {
    bool bInKey = false;
    for (const std::string& strLine : LogicalLines(strRegText)) {
        size_t i = 1;
        std::string strText;
        if (!strLine.empty() && strLine[0] == '[') {
            bInKey = ReadEscaped(strLine, i, ']', strText) && EqualNoCase(strText, strKey);
            continue;
        }
        if (!bInKey) continue;
        if (strLine.rfind("@=", 0) == 0) {
            i = 1;  // the default value has no name
        } else if (strLine.empty() || strLine[0] != '"' || !ReadEscaped(strLine, i, '"', strText)) {
            continue;
        }
        if (i >= strLine.size() || strLine[i] != '=' || !EqualNoCase(strText, strName)) continue;
        return ParseValue(strLine.substr(i + 1), value);
    }
    return false;
}
