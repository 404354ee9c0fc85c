#include "driver/base/Utf16.h"

namespace kdbf {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes the character at `text[*pos]` and advances past it; an ill-formed
// sequence (overlong, surrogate, beyond U+10FFFF, cut off) yields U+FFFD for its
// first byte only.
char32_t NextCodePoint(const std::string& text, std::size_t* pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(*pos);
    int extra = 0;
    char32_t cp = 0, min = 0;
    if (lead < 0x80) {
        ++*pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
        ++*pos;
        return kReplacement;
    }
    if (*pos + extra >= text.size()) {
        ++*pos;
        return kReplacement;
    }
    for (int i = 1; i <= extra; ++i) {
        if ((byte(*pos + i) & 0xC0) != 0x80) {
            ++*pos;
            return kReplacement;
        }
        cp = (cp << 6) | (byte(*pos + i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++*pos;
        return kReplacement;
    }
    *pos += extra + 1;
    return cp;
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

std::u16string Utf8ToUtf16(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        const char32_t cp = NextCodePoint(text, &pos);
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
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
