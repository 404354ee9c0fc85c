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

#include <string>

namespace kdbf {

// The text SQLite is to prepare. Throws SyntaxError (QueryParser.h) for an unterminated
// bracket, quote, comment or escape, quoting where it starts.
std::string TranslateSql(const std::string& text);

}  // namespace kdbf
