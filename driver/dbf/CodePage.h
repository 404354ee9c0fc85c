// The characters of a table's text: which code page its bytes are in, and turning them
// into UTF-8, the driver's one internal form of text (and what SQL_C_CHAR delivers).
#pragma once

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "driver/dbf/Transcoder.h"

namespace kdbf {

// The connection setting that asks for the file's bytes unchanged.
inline constexpr const char* kRawCodePage = "raw";

// The code page of the table at `table_path`, as an iconv name (or MAZOVIA): the
// table's own code-page byte `ldid` when it names one, else `setting` (the
// connection's CODEPAGE), else a .cpg file beside the table, else CP1252. A setting of
// "raw" wins over all and gives kRawCodePage. Throws DbfError when the .cpg file cannot
// be read, or when `ldid` is the byte of a code page unknown here and nothing else
// names one.
std::string ChooseCodePage(unsigned ldid, const std::string& table_path,
                           const std::string& setting);

// Throws OdbcError 08001 when `setting`, a CODEPAGE connection attribute, names a code
// page the driver cannot decode.
void CheckCodePage(const std::string& setting);

// The iconv name of a code page as .cpg files and users write it ("1252", "ANSI 1251",
// "UTF-8", "cp437", "ISO 8859-1", "shiftjis").
std::string NormalizeCodePage(std::string_view text);

// Decodes text of one code page into UTF-8. Single-byte code pages go through a table
// built once; multi-byte ones through the system's converter. Bytes a code page does not define,
// and invalid UTF-8, become U+FFFD, so the result is always valid UTF-8.
class TextDecoder {
public:
    // Throws DbfError when the system does not know `code_page`.
    explicit TextDecoder(const std::string& code_page);
    ~TextDecoder();
    TextDecoder(const TextDecoder&) = delete;
    TextDecoder& operator=(const TextDecoder&) = delete;

    const std::string& Name() const { return name_; }
    // Appends the UTF-8 form of `bytes` to `out`.
    void Append(std::string_view bytes, std::string* out) const;

private:
    enum class Mode { kRaw, kUtf8, kTable, kMultiByte };
    std::string name_;
    Mode mode_ = Mode::kRaw;
    std::unique_ptr<Transcoder> transcoder_;
    std::array<std::string, 128> high_;  // UTF-8 of bytes 0x80..0xFF (kTable)
};

}  // namespace kdbf
