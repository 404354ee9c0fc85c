#include "driver/base/Diagnostics.h"

namespace kdbf {

void Diagnostics::Add(const std::string& sqlstate, const std::string& text) {
    records_.push_back(DiagRecord{sqlstate, 0, std::string(kOriginTags) + text});
}

}  // namespace kdbf
