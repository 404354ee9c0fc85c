#include "driver/sql/SqlText.h"

#include <strings.h>

#include <cctype>

namespace kdbf {
namespace {

bool IsWordChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}

class Translator {
public:
    explicit Translator(const std::string& text) : in_(text) {}

    std::string Run() {
        std::string limit;
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            if (c == '\'' || c == '"' || c == '`') {
                CopyQuoted(c);
            } else if (c == '[') {
                Bracket();
            } else if (c == '-' && Next() == '-') {
                const std::size_t end = in_.find('\n', pos_);
                Copy((end == std::string::npos ? in_.size() : end) - pos_);
            } else if (c == '/' && Next() == '*') {
                const std::size_t end = in_.find("*/", pos_ + 2);
                if (end == std::string::npos) Fail("unterminated comment");
                Copy(end + 2 - pos_);
            } else if (c == '{') {
                Escape();
            } else if (c == '}' && escapes_ > 0) {
                --escapes_;
                ++pos_;
            } else if (c == '(' || c == ')') {
                depth_ += c == '(' ? 1 : -1;
                out_ += c;
                ++pos_;
            } else if (IsWordChar(c)) {
                Word(&limit);
            } else {
                out_ += c;
                ++pos_;
            }
        }
        if (escapes_ > 0) Fail("unterminated escape '{'");
        DropTrailingSemicolon();
        if (!limit.empty()) out_ += " LIMIT " + limit;
        return out_;
    }

private:
    char Next() const { return pos_ + 1 < in_.size() ? in_[pos_ + 1] : '\0'; }

    void Copy(std::size_t n) {
        out_.append(in_, pos_, n);
        pos_ += n;
    }

    [[noreturn]] void Fail(const std::string& what) const {
        throw SyntaxError("Syntax error, " + what + " near '" + in_.substr(pos_, 40) + "'");
    }

    // '...' with '' inside, "..." with "" inside: copied as they stand.
    void CopyQuoted(char quote) {
        std::size_t end = pos_ + 1;
        for (;;) {
            end = in_.find(quote, end);
            if (end == std::string::npos) Fail("unterminated quote");
            if (end + 1 < in_.size() && in_[end + 1] == quote) {
                end += 2;
                continue;
            }
            break;
        }
        Copy(end + 1 - pos_);
    }

    void Bracket() {
        std::string name;
        std::size_t i = pos_ + 1;
        for (;;) {
            if (i >= in_.size()) Fail("unterminated bracket");
            if (in_[i] == ']') {
                if (i + 1 < in_.size() && in_[i + 1] == ']') {
                    name += ']';
                    i += 2;
                    continue;
                }
                break;
            }
            if (in_[i] == '"') name += '"';
            name += in_[i++];
        }
        out_ += '"' + name + '"';
        pos_ = i + 1;
    }

    std::string ReadWord() {
        std::size_t end = pos_;
        while (end < in_.size() && IsWordChar(in_[end])) ++end;
        std::string word = in_.substr(pos_, end - pos_);
        pos_ = end;
        return word;
    }

    void SkipSpace() {
        while (pos_ < in_.size() && std::isspace(static_cast<unsigned char>(in_[pos_]))) ++pos_;
    }

    // {d '...'}, {t '...'}, {ts '...'}, {fn ...}, {oj ...}: the keyword goes, the rest
    // stays, and the closing brace is dropped where it comes.
    void Escape() {
        ++pos_;
        SkipSpace();
        const std::string word = ReadWord();
        static const char* const kKinds[] = {"d", "t", "ts", "fn", "oj", "escape"};
        bool known = false;
        for (const char* kind : kKinds) known = known || strcasecmp(word.c_str(), kind) == 0;
        if (!known) {
            pos_ -= word.size();
            Fail("unknown escape '{" + word + "'");
        }
        ++escapes_;
        out_ += ' ';
        if (strcasecmp(word.c_str(), "fn") == 0) FunctionName();
        if (strcasecmp(word.c_str(), "escape") == 0) out_ += "ESCAPE";
    }

    // The ODBC name of a scalar function, as SQLite (or the driver, see SqlEngine) knows
    // it: LEFT and RIGHT are keywords to SQLite, so the driver's own take other names.
    void FunctionName() {
        SkipSpace();
        const std::string name = ReadWord();
        static const char* const kRenamed[][2] = {
            {"UCASE", "upper"},
            {"LCASE", "lower"},
            {"LEFT", "odbc_left"},
            {"RIGHT", "odbc_right"},
            {"SUBSTRING", "substr"},
            {"CHAR_LENGTH", "length"},
            {"CHARACTER_LENGTH", "length"},
            {"CEILING", "ceil"},
            {"LOG", "ln"},
        };
        for (const auto& renamed : kRenamed)
            if (strcasecmp(name.c_str(), renamed[0]) == 0) {
                out_ += renamed[1];
                return;
            }
        out_ += name;
    }

    // A word outside quotes: TOP n right after SELECT [ALL|DISTINCT] becomes a LIMIT.
    void Word(std::string* limit) {
        const std::string word = ReadWord();
        out_ += word;
        const bool select = strcasecmp(word.c_str(), "SELECT") == 0;
        const bool modifier = after_select_ && (strcasecmp(word.c_str(), "DISTINCT") == 0 ||
                                                strcasecmp(word.c_str(), "ALL") == 0);
        if (after_select_ && depth_ == 0 && !modifier && strcasecmp(word.c_str(), "TOP") == 0 &&
            limit->empty()) {
            const std::size_t start = pos_;
            SkipSpace();
            std::string count = ReadWord();
            bool digits = !count.empty();
            for (char c : count) digits = digits && std::isdigit(static_cast<unsigned char>(c));
            if (digits) {
                out_.resize(out_.size() - word.size());
                *limit = count;
            } else {
                pos_ = start;
            }
        }
        after_select_ = select || modifier;
    }

    void DropTrailingSemicolon() {
        std::size_t end = out_.find_last_not_of(" \t\r\n");
        if (end != std::string::npos && out_[end] == ';') out_.erase(end);
    }

    const std::string& in_;
    std::string out_;
    std::size_t pos_ = 0;
    int escapes_ = 0;
    int depth_ = 0;  // of parentheses: only the outermost SELECT's TOP becomes the LIMIT
    bool after_select_ = false;
};

}  // namespace

std::string TranslateSql(const std::string& text) {
    return Translator(text).Run();
}

}  // namespace kdbf
