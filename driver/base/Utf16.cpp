#include "driver/base/Utf16.h"

namespace kdbf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// The code point of the well-formed sequence of `n` bytes at the start of `s`.
char32_t Decode(std::string_view s, std::size_t n) {
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]) & 0x3Fu; };
    char32_t c = static_cast<unsigned char>(s[0]);
    if (n == 2) c = (c & 0x1Fu) << 6 | b(1);
    if (n == 3) c = (c & 0x0Fu) << 12 | b(1) << 6 | b(2);
    if (n == 4) c = (c & 0x07u) << 18 | b(1) << 12 | b(2) << 6 | b(3);
    return c;
}

// Decodes the character at `text[*pos]` and advances past it; an ill-formed sequence
// yields U+FFFD for its first byte only.
char32_t NextCodePoint(std::string_view text, std::size_t* pos) {
    const std::size_t n = Utf8SequenceLength(text.substr(*pos));
    const char32_t cp = n == 0 ? kReplacement : Decode(text.substr(*pos), n);
    *pos += n == 0 ? 1 : n;
    return cp;
}

void AppendUnit(char32_t cp, std::u16string* out) {
    if (cp < 0x10000) {
        out->push_back(static_cast<char16_t>(cp));
    } else {
        out->push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        out->push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    }
}

}  // namespace

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::size_t Utf8SequenceLength(std::string_view s) {
    if (s.empty()) return 0;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned c = b(0);
    if (c < 0x80) return 1;
    const std::size_t n = c > 0xF4 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (n == 0 || n > s.size()) return 0;
    for (std::size_t i = 1; i < n; ++i)
        if ((b(i) & 0xC0) != 0x80) return 0;
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    if (n == 3 && ((c == 0xE0 && b(1) < 0xA0) || (c == 0xED && b(1) >= 0xA0))) return 0;
    if (n == 4 && ((c == 0xF0 && b(1) < 0x90) || (c == 0xF4 && b(1) >= 0x90))) return 0;
    return n;
}

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) AppendUnit(NextCodePoint(text, &pos), &out);
    return out;
}

void AppendUtf16(std::string_view text, std::u16string* out) {
    while (!text.empty()) {
        const std::size_t n = Utf8SequenceLength(text);
        AppendUnit(n == 0 ? static_cast<unsigned char>(text[0]) : Decode(text, n), out);
        text.remove_prefix(n == 0 ? 1 : n);
    }
}

std::string Utf16ToUtf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;  // a lone surrogate
        }
        AppendUtf8(out, cp);
    }
    return out;
}

bool IsUtf8(const std::string& text) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t start = pos;
        if (NextCodePoint(text, &pos) == kReplacement && pos == start + 1) return false;
    }
    return true;
}

std::size_t Utf8Prefix(const std::string& text, std::size_t bytes) {
    if (bytes >= text.size()) return text.size();
    std::size_t end = bytes;
    // Step back over continuation bytes to the start of the character that was cut.
    for (int i = 0; i < 3 && end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80; ++i)
        --end;
    return end;
}

}  // namespace kdbf
