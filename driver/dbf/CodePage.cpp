#include "driver/dbf/CodePage.h"

#include <strings.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <utility>

#include "driver/base/Diagnostics.h"
#include "driver/base/Utf16.h"
#include "driver/dbf/DbfTable.h"

namespace kdbf {
namespace {

// Code pages the header's language-driver byte names, as dBase and FoxPro number them.
struct CodePageByte {
    unsigned char byte;
    const char* name;
};
constexpr CodePageByte kCodePageBytes[] = {
    {0x01, "CP437"},   {0x02, "CP850"},  {0x03, "CP1252"}, {0x04, "MACINTOSH"}, {0x08, "CP865"},
    {0x09, "CP437"},   {0x0A, "CP850"},  {0x0B, "CP437"},  {0x0D, "CP437"},     {0x0E, "CP850"},
    {0x0F, "CP437"},   {0x10, "CP850"},  {0x11, "CP437"},  {0x12, "CP850"},     {0x13, "CP932"},
    {0x14, "CP850"},   {0x15, "CP437"},  {0x16, "CP850"},  {0x17, "CP865"},     {0x18, "CP437"},
    {0x19, "CP437"},   {0x1A, "CP850"},  {0x1B, "CP437"},  {0x1C, "CP863"},     {0x1D, "CP850"},
    {0x1F, "CP852"},   {0x22, "CP852"},  {0x23, "CP852"},  {0x24, "CP860"},     {0x25, "CP850"},
    {0x26, "CP866"},   {0x37, "CP850"},  {0x40, "CP852"},  {0x4D, "CP936"},     {0x4E, "CP949"},
    {0x4F, "CP950"},   {0x50, "CP874"},  {0x57, "CP1252"}, {0x58, "CP1252"},    {0x59, "CP1252"},
    {0x64, "CP852"},   {0x65, "CP866"},  {0x66, "CP865"},  {0x67, "CP861"},     {0x68, "KAMENICKY"},
    {0x69, "MAZOVIA"}, {0x6A, "CP737"},  {0x6B, "CP857"},  {0x78, "CP950"},     {0x79, "CP949"},
    {0x7A, "CP936"},   {0x7B, "CP932"},  {0x7C, "CP874"},  {0x7D, "CP1255"},    {0x7E, "CP1256"},
    {0xC8, "CP1250"},  {0xC9, "CP1251"}, {0xCA, "CP1254"}, {0xCB, "CP1253"},    {0xCC, "CP1257"},
};

// Mazovia, the Polish DOS code page, is code page 437 with Polish letters in place of
// some of its accented ones; iconv does not know it.
constexpr const char* kMazovia = "MAZOVIA";
constexpr std::pair<unsigned char, const char*> kMazoviaLetters[] = {
    {0x86, "\u0105"}, {0x8D, "\u0107"}, {0x8F, "\u0104"}, {0x90, "\u0118"}, {0x91, "\u0119"},
    {0x92, "\u0142"}, {0x95, "\u0106"}, {0x98, "\u015A"}, {0x9C, "\u0141"}, {0x9E, "\u015B"},
    {0xA0, "\u0179"}, {0xA1, "\u017B"}, {0xA3, "\u00D3"}, {0xA4, "\u0144"}, {0xA5, "\u0143"},
    {0xA6, "\u017A"}, {0xA7, "\u017C"},
};

// Names tools write in .cpg files for the Windows code pages of East Asia, by which
// those tools mean the Windows forms.
constexpr std::pair<const char*, const char*> kAliases[] = {
    {"SHIFTJIS", "CP932"}, {"SHIFT_JIS", "CP932"}, {"SHIFT-JIS", "CP932"},
    {"SJIS", "CP932"},     {"BIG5", "CP950"},      {"GBK", "CP936"},
    {"GB2312", "CP936"},   {"EUC-KR", "CP949"},    {"LATIN1", "ISO-8859-1"},
};

const char* CodePageOfByte(unsigned ldid) {
    for (const CodePageByte& entry : kCodePageBytes)
        if (entry.byte == ldid) return entry.name;
    return nullptr;
}

std::string Upper(std::string_view text) {
    std::string out;
    for (char c : text) out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

constexpr const char* kReplacement = "\xEF\xBF\xBD";  // U+FFFD

bool IsAscii(std::string_view bytes) {
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

}  // namespace

std::string NormalizeCodePage(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string_view::npos) return "";
    text = text.substr(begin, text.find_last_not_of(" \t\r\n") + 1 - begin);
    const std::string upper = Upper(text);
    if (upper == "UTF-8" || upper == "UTF8" || upper == "65001") return "UTF-8";
    for (const auto& [alias, name] : kAliases)
        if (upper == alias) return name;
    std::string digits;
    for (char c : upper)
        if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    if (upper.find("8859") != std::string::npos && digits.size() > 4)
        return "ISO-8859-" + digits.substr(4);
    // "1252", "CP437", "ANSI 1251", "OEM 850", "WINDOWS-1250": a number with a prefix.
    const std::size_t number = upper.find_first_of("0123456789");
    if (number != std::string::npos && upper.size() - number == digits.size()) {
        std::string prefix = upper.substr(0, number);
        while (!prefix.empty() && (prefix.back() == ' ' || prefix.back() == '-')) prefix.pop_back();
        if (prefix.empty() || prefix == "CP" || prefix == "ANSI" || prefix == "OEM" ||
            prefix == "WINDOWS")
            return "CP" + digits;
    }
    return upper;
}

std::string ChooseCodePage(unsigned ldid, const std::string& table_path,
                           const std::string& setting) {
    if (strcasecmp(setting.c_str(), kRawCodePage) == 0) return kRawCodePage;
    if (const char* name = CodePageOfByte(ldid)) return name;
    // The connection's setting corrects a .cpg file, which tools often write wrong.
    if (!setting.empty()) return NormalizeCodePage(setting);
    const std::size_t dot = table_path.find_last_of("./");
    const std::string stem =
        dot != std::string::npos && table_path[dot] == '.' ? table_path.substr(0, dot) : table_path;
    for (const char* extension : {".cpg", ".CPG"}) {
        std::ifstream cpg(stem + extension, std::ios::binary);
        if (!cpg) continue;
        std::string text(256, '\0');
        cpg.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(cpg.gcount()));
        const std::string name = NormalizeCodePage(text);
        if (name.empty())
            throw DbfError("Code page file '" + stem + extension + "' names no code page");
        return name;
    }
    // A byte that names a code page unknown here is never read as another one.
    if (ldid != 0) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", ldid);
        throw DbfError(std::string("The table's code-page byte ") + byte +
                       " names a code page the driver does not know; CODEPAGE can name it");
    }
    return "CP1252";
}

void CheckCodePage(const std::string& setting) {
    if (setting.empty() || strcasecmp(setting.c_str(), kRawCodePage) == 0) return;
    try {
        TextDecoder decoder(NormalizeCodePage(setting));
    } catch (const DbfError& e) {
        throw OdbcError("08001", std::string(e.what()) + " (CODEPAGE)");
    }
}

TextDecoder::TextDecoder(const std::string& code_page) : name_(code_page) {
    if (code_page == kRawCodePage) return;
    if (code_page == "UTF-8") {
        mode_ = Mode::kUtf8;
        return;
    }
    const bool mazovia = code_page == kMazovia;
    transcoder_ = Transcoder::Open(mazovia ? "CP437" : code_page);
    if (!transcoder_) throw DbfError("Code page '" + code_page + "' is not known");
    mode_ = Mode::kTable;
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
        switch (transcoder_->DecodeByte(static_cast<unsigned char>(byte), &high_[byte - 0x80])) {
            case Transcoder::Single::kChar:
                break;
            case Transcoder::Single::kLead:
                mode_ = Mode::kMultiByte;  // a lead byte of a multi-byte code page
                return;
            case Transcoder::Single::kUndefined:
                high_[byte - 0x80] = kReplacement;
                break;
        }
    }
    if (mazovia)
        for (const auto& [byte, letter] : kMazoviaLetters) high_[byte - 0x80] = letter;
}

TextDecoder::~TextDecoder() = default;

void TextDecoder::Append(std::string_view bytes, std::string* out) const {
    if (mode_ == Mode::kRaw || IsAscii(bytes)) {
        out->append(bytes);
        return;
    }
    switch (mode_) {
        case Mode::kUtf8:
            while (!bytes.empty()) {
                const std::size_t n = Utf8SequenceLength(bytes);
                out->append(n == 0 ? kReplacement : bytes.substr(0, n));
                bytes.remove_prefix(n == 0 ? 1 : n);
            }
            return;
        case Mode::kTable:
            for (char c : bytes) {
                const auto b = static_cast<unsigned char>(c);
                if (b < 0x80)
                    out->push_back(c);
                else
                    out->append(high_[b - 0x80]);
            }
            return;
        default:
            transcoder_->Append(bytes, kReplacement, out);
            return;
    }
}

}  // namespace kdbf
