// UTF-8, the driver's text inside, and UTF-16, the text of ODBC's wide functions
// (unixODBC's SQLWCHAR is two bytes). Bytes or units that do not form a character
// become U+FFFD, so a damaged text still arrives readable rather than not at all.
#pragma once

#include <string>
#include <string_view>

namespace kdbf {

std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// The length of the well-formed UTF-8 sequence at the start of `text`, or 0 when it does
// not start with one (overlong forms, surrogates and code points beyond U+10FFFF too).
std::size_t Utf8SequenceLength(std::string_view text);

// Appends the UTF-16 code units of UTF-8 `text`; a byte that does not begin a valid
// sequence stands for itself (U+0000..U+00FF), which keeps raw single-byte text readable.
void AppendUtf16(std::string_view text, std::u16string* out);

// True when `text` is well-formed UTF-8.
bool IsUtf8(const std::string& text);

// Appends code point `cp` to `out` in UTF-8.
void AppendUtf8(std::string& out, char32_t cp);

// The longest prefix of `text` of at most `bytes` bytes that does not cut a character.
std::size_t Utf8Prefix(const std::string& text, std::size_t bytes);

}  // namespace kdbf
