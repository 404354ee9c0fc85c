#include "driver/sql/QueryParser.h"

#include <strings.h>
#include <cctype>

namespace kdbf {
namespace {

// Thrown where the text leaves the plain shape.
struct NotPlain {};

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    SelectQuery Parse() {
        SelectQuery query;
        ExpectKeyword("SELECT");
        SkipSpace();
        if (Peek() == '*') {
            ++pos_;
            query.all_columns = true;
        } else {
            query.columns.push_back(Column());
            while (SkipSpace(), Peek() == ',') {
                ++pos_;
                query.columns.push_back(Column());
            }
        }
        ExpectKeyword("FROM");
        query.table = Identifier();
        SkipSpace();
        if (Peek() == ';') {  // tools and people end statements so
            ++pos_;
            SkipSpace();
        }
        if (pos_ != text_.size()) throw NotPlain();
        for (const ColumnRef& ref : query.columns)
            if (!ref.table.empty() && strcasecmp(ref.table.c_str(), query.table.c_str()) != 0)
                throw NotPlain();
        return query;
    }

private:
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    void SkipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }

    static bool IsNameChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
               (static_cast<unsigned char>(c) >= 0x80);
    }

    void ExpectKeyword(const char* keyword) {
        SkipSpace();
        std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
        std::string word = text_.substr(start, pos_ - start);
        if (strcasecmp(word.c_str(), keyword) != 0) throw NotPlain();
    }

    // `[name]` with "]]" for "]", `"name"` with `""` for `"`, or a plain name.
    std::string Identifier() {
        SkipSpace();
        std::string name;
        if (Peek() == '[' || Peek() == '"') {
            const char close = Peek() == '[' ? ']' : '"';
            ++pos_;
            for (;;) {
                if (pos_ >= text_.size()) throw NotPlain();
                char c = text_[pos_++];
                if (c != close) {
                    name += c;
                } else if (Peek() == close) {
                    name += close;
                    ++pos_;
                } else {
                    break;
                }
            }
            if (name.empty()) throw NotPlain();
            return name;
        }
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) name += text_[pos_++];
        // Keywords are names only in brackets, so "SELECT F1, FROM t" is caught here.
        if (name.empty() || strcasecmp(name.c_str(), "FROM") == 0 ||
            strcasecmp(name.c_str(), "SELECT") == 0)
            throw NotPlain();
        return name;
    }

    ColumnRef Column() {
        ColumnRef ref;
        ref.column = Identifier();
        SkipSpace();
        if (Peek() == '.') {
            ++pos_;
            ref.table = std::move(ref.column);
            ref.column = Identifier();
        }
        return ref;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::optional<SelectQuery> ParsePlainSelect(const std::string& text) {
    try {
        return Parser(text).Parse();
    } catch (const NotPlain&) {
        return std::nullopt;
    }
}

}  // namespace kdbf
