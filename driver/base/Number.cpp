#include "driver/base/Number.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace kdbf {
namespace {

// Powers of ten that a double holds exactly.
constexpr double kExactPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// "[-]digits[.digits]" of at most 15 digits: the digits form an integer below 2^53 and
// the divisor is exact, so one correctly rounded division gives the nearest double,
// the same result as a full parse.
std::optional<double> PlainDecimal(const char* first, const char* last) {
    const bool negative = first != last && *first == '-';
    if (negative) ++first;
    std::int64_t mantissa = 0;
    int digits = 0, decimals = -1;
    for (const char* p = first; p != last; ++p) {
        if (*p >= '0' && *p <= '9') {
            mantissa = mantissa * 10 + (*p - '0');
            if (++digits > 15) return std::nullopt;
            if (decimals >= 0) ++decimals;
        } else if (*p == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    double value = static_cast<double>(mantissa);
    if (decimals > 0) value /= kExactPowers[decimals];
    return negative ? -value : value;
}

}  // namespace

std::optional<double> ParseNumber(std::string_view text) {
    std::size_t begin = text.find_first_not_of(' ');
    std::size_t end = text.find_last_not_of(' ');
    if (begin == std::string_view::npos) return std::nullopt;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+' && ++first != last && *first == '-') return std::nullopt;
    if (std::optional<double> plain = PlainDecimal(first, last)) return plain;
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

}  // namespace kdbf
