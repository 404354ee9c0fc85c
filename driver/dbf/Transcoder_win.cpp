#include <cstdint>
#include <cstdlib>

#include "driver/base/Utf16.h"
#include "driver/dbf/Transcoder.h"
#include "res/Win32.h"

namespace kdbf {
namespace {

UINT CodePageOf(void* state) {
    return static_cast<UINT>(reinterpret_cast<std::uintptr_t>(state));
}

// Windows' number of an iconv-style name: "CP1252", "ISO-8859-2", "MACINTOSH".
UINT CodePageNumber(const std::string& name) {
    if (name == "MACINTOSH") return 10000;
    if (name.rfind("ISO-8859-", 0) == 0) return 28590 + std::atoi(name.c_str() + 9);
    if (name.rfind("CP", 0) == 0 && name.size() > 2) return std::atoi(name.c_str() + 2);
    return 0;
}

// The UTF-8 of `bytes` when they form characters of `code_page` exactly.
bool Decode(UINT code_page, const char* bytes, int size, std::string* out) {
    wchar_t wide[8];
    const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes, size, wide, 8);
    if (n <= 0) return false;
    *out += Utf16ToUtf8(std::u16string(wide, wide + n));
    return true;
}

}  // namespace

std::unique_ptr<Transcoder> Transcoder::Open(const std::string& code_page) {
    const UINT number = CodePageNumber(code_page);
    if (number == 0 || !IsValidCodePage(number)) return nullptr;
    return std::unique_ptr<Transcoder>(
        new Transcoder(reinterpret_cast<void*>(static_cast<std::uintptr_t>(number))));
}

Transcoder::~Transcoder() = default;

Transcoder::Single Transcoder::DecodeByte(unsigned char byte, std::string* out) const {
    const UINT code_page = CodePageOf(state_);
    if (IsDBCSLeadByteEx(code_page, byte)) return Single::kLead;
    const char in = static_cast<char>(byte);
    wchar_t wide = 0;
    if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, &in, 1, &wide, 1) != 1)
        return Single::kUndefined;
    // Windows fills the slots its ANSI code pages leave free with the C1 control of the
    // same number; like iconv, the driver takes them for undefined. Only ISO 8859 has
    // those controls for real.
    const bool iso8859 = code_page >= 28591 && code_page <= 28599;
    if (wide >= 0x80 && wide <= 0x9F && !iso8859) return Single::kUndefined;
    *out = Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(wide)));
    return Single::kChar;
}

void Transcoder::Append(std::string_view bytes, const char* replacement, std::string* out) const {
    // Windows' multi-byte code pages (932, 936, 949, 950) have sequences of two bytes at
    // most: each lead byte goes with the byte after it.
    const UINT code_page = CodePageOf(state_);
    for (std::size_t i = 0; i < bytes.size();) {
        const bool lead = IsDBCSLeadByteEx(code_page, static_cast<unsigned char>(bytes[i])) &&
                          i + 1 < bytes.size();
        const int size = lead ? 2 : 1;
        if (Decode(code_page, bytes.data() + i, size, out)) {
            i += size;
        } else {
            out->append(replacement);
            ++i;
        }
    }
}

}  // namespace kdbf
