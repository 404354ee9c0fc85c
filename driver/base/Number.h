// Numbers read from text the same way wherever the driver reads them: from a table's
// fields for the SQL engine, and from a cell's text for a client's numeric buffer.
#pragma once

#include <optional>
#include <string_view>

namespace kdbf {

// Parses a whole text (blanks around it allowed) as a finite decimal number, independent
// of the locale. Plain numbers of up to 15 digits take an exact fast path.
std::optional<double> ParseNumber(std::string_view text);

}  // namespace kdbf
