#include "driver/odbc/ConnectionString.h"

#include <algorithm>
#include <cctype>

namespace kdbf {
namespace {

std::string Trim(const std::string& s) {
    const std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t") + 1 - b);
}

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

}  // namespace

Attributes ParseConnectionString(const std::string& text) {
    Attributes attributes;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t eq = text.find('=', pos);
        const std::size_t semi = text.find(';', pos);
        if (eq == std::string::npos || (semi != std::string::npos && semi < eq)) {
            if (!Trim(text.substr(pos, semi - pos)).empty())
                throw std::invalid_argument("attribute without '=' near '" + text.substr(pos, 40) +
                                            "'");
            if (semi == std::string::npos) break;
            pos = semi + 1;
            continue;
        }
        const std::string key = Upper(Trim(text.substr(pos, eq - pos)));
        if (key.empty()) throw std::invalid_argument("attribute without a name");
        pos = eq + 1;
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
        std::string value;
        if (pos < text.size() && text[pos] == '{') {
            for (++pos;; ++pos) {
                if (pos >= text.size())
                    throw std::invalid_argument("unterminated '{' in the value of " + key);
                if (text[pos] == '}') {
                    if (pos + 1 < text.size() && text[pos + 1] == '}') {
                        value += '}';
                        ++pos;
                        continue;
                    }
                    ++pos;
                    break;
                }
                value += text[pos];
            }
            const std::size_t end = text.find(';', pos);
            if (!Trim(text.substr(pos, end - pos)).empty())
                throw std::invalid_argument("text after the closing '}' of " + key);
            pos = end == std::string::npos ? text.size() : end + 1;
        } else {
            const std::size_t end = text.find(';', pos);
            value = Trim(text.substr(pos, end - pos));
            pos = end == std::string::npos ? text.size() : end + 1;
        }
        attributes.emplace(key, value);
    }
    return attributes;
}

std::string FormatAttribute(const std::string& key, const std::string& value) {
    const bool needs_braces = value.find_first_of(";{}=") != std::string::npos ||
                              (!value.empty() && (value.front() == ' ' || value.back() == ' '));
    if (!needs_braces) return key + "=" + value;
    std::string quoted;
    for (char c : value) {
        quoted += c;
        if (c == '}') quoted += '}';
    }
    return key + "={" + quoted + "}";
}

}  // namespace kdbf
