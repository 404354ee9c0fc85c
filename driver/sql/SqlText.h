// What ODBC clients send that SQLite does not take, rewritten into SQLite's SQL:
//
//   [name] with "]]" for "]"     ->  "name" with "" for "
//   SELECT [DISTINCT] TOP n ...  ->  SELECT [DISTINCT] ... LIMIT n
//   {d '...'} {t '...'} {ts '...'}  ->  '...'
//   {fn f(...)}                  ->  f(...)   (the ODBC scalar functions are defined
//                                              under their own names, see SqlEngine)
//   {oj ...}                     ->  ...
//   {escape 'c'}                 ->  ESCAPE 'c'   (after LIKE '...')
//   one trailing ";"             ->  dropped
//
// String literals, quoted names and comments pass through untouched, so a "{" or "["
// inside them is never rewritten.
#pragma once

#include <stdexcept>
#include <string>

namespace kdbf {

// A text that cannot be translated; what() quotes where the fault starts.
class SyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The text SQLite is to prepare. Throws SyntaxError for an unterminated
// bracket, quote, comment or escape, quoting where it starts.
std::string TranslateSql(const std::string& text);

}  // namespace kdbf
