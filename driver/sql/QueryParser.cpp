#include "driver/sql/QueryParser.h"

#include <strings.h>
#include <cctype>

namespace kdbf {
namespace {

class Parser {
public:
    explicit Parser(const std::string& text) : text_(text) {}

    SelectQuery Parse() {
        SelectQuery query;
        RefuseChanges();
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
        query.table = Identifier("a table name");
        SkipSpace();
        if (Peek() == ';') {  // tools and people end statements so
            ++pos_;
            SkipSpace();
        }
        if (pos_ != text_.size()) Fail("unexpected text");
        for (const ColumnRef& ref : query.columns)
            if (!ref.table.empty() && strcasecmp(ref.table.c_str(), query.table.c_str()) != 0)
                throw SyntaxError("Column [" + ref.table + "].[" + ref.column +
                                  "] names a table other than '" + query.table + "'");
        return query;
    }

private:
    char Peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    void SkipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_]))) ++pos_;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        std::string rest = text_.substr(pos_, 40);
        if (pos_ >= text_.size()) rest = "end of statement";
        throw SyntaxError("Syntax error, " + what + " near '" + rest + "'");
    }

    static bool IsNameChar(char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' ||
               (static_cast<unsigned char>(c) >= 0x80);
    }

    // Statements that would change a table or the folder get a message that says why
    // they cannot run, rather than a syntax error.
    void RefuseChanges() {
        static const char* const kChanges[] = {"INSERT",  "UPDATE", "DELETE", "MERGE", "UPSERT",
                                               "REPLACE", "CREATE", "DROP",   "ALTER", "TRUNCATE",
                                               "RENAME",  "GRANT",  "REVOKE", "PACK",  "ZAP"};
        SkipSpace();
        std::size_t end = pos_;
        while (end < text_.size() && IsNameChar(text_[end])) ++end;
        const std::string word = text_.substr(pos_, end - pos_);
        for (const char* change : kChanges)
            if (strcasecmp(word.c_str(), change) == 0)
                throw ReadOnlyError(std::string(change) +
                                    " statements cannot run: the dBase driver is read-only and "
                                    "runs only SELECT");
    }

    void ExpectKeyword(const char* keyword) {
        SkipSpace();
        std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
        std::string word = text_.substr(start, pos_ - start);
        if (strcasecmp(word.c_str(), keyword) != 0) {
            pos_ = start;
            Fail(std::string("expected ") + keyword);
        }
    }

    // `[name]` with "]]" for "]", `"name"` with `""` for `"`, or a plain name.
    std::string Identifier(const char* what) {
        SkipSpace();
        std::string name;
        if (Peek() == '[' || Peek() == '"') {
            const char close = Peek() == '[' ? ']' : '"';
            std::size_t start = pos_++;
            for (;;) {
                if (pos_ >= text_.size()) {
                    pos_ = start;
                    Fail(close == ']' ? "unterminated bracket" : "unterminated quoted name");
                }
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
            if (name.empty()) {
                pos_ = start;
                Fail(std::string("empty name for ") + what);
            }
            return name;
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsNameChar(text_[pos_])) name += text_[pos_++];
        // Keywords are names only in brackets, so "SELECT F1, FROM t" is caught here.
        if (name.empty() || strcasecmp(name.c_str(), "FROM") == 0 ||
            strcasecmp(name.c_str(), "SELECT") == 0) {
            pos_ = start;
            Fail(std::string("expected ") + what);
        }
        return name;
    }

    ColumnRef Column() {
        ColumnRef ref;
        ref.column = Identifier("a column name");
        SkipSpace();
        if (Peek() == '.') {
            ++pos_;
            ref.table = std::move(ref.column);
            ref.column = Identifier("a column name");
        }
        return ref;
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

}  // namespace

SelectQuery ParseSelect(const std::string& text) {
    return Parser(text).Parse();
}

}  // namespace kdbf
