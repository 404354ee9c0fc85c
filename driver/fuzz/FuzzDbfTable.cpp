// Feeds arbitrary bytes to the table reader as a whole file and reads every record and
// field the way a fetch would, through the type decoders and the code-page decoder.
// Any crash, sanitizer report or exception other than the reader's own is a finding.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "driver/base/Diagnostics.h"
#include "driver/base/Number.h"
#include "driver/dbf/DbfTable.h"
#include "driver/dbf/FieldValue.h"
#include "driver/odbc/Delivery.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int fd = memfd_create("fuzz-table", 0);
    if (fd < 0) return 0;
    if (write(fd, data, size) == static_cast<ssize_t>(size)) {
        try {
            auto table = kdbf::DbfTable::Open("/proc/self/fd/" + std::to_string(fd));
            // The header may announce millions of records of a file that holds holes
            // only in theory; the first few show every code path.
            const std::uint32_t records = std::min<std::uint32_t>(table->RecordCount(), 64);
            for (std::uint32_t r = 0; r < records; ++r) {
                table->Load(r);
                (void)table->IsDeleted();
                for (std::size_t f = 0; f < table->Fields().size(); ++f) {
                    const auto& field = table->Fields()[f];
                    if (!kdbf::Refusal(field, "t").empty()) continue;
                    std::string text;
                    try {
                        if (kdbf::FieldText(*table, static_cast<int>(f), field.name, &text))
                            (void)kdbf::ParseNumber(text);
                    } catch (const kdbf::OdbcError&) {
                    }
                }
            }
        } catch (const kdbf::DbfError&) {
        }
    }
    close(fd);
    return 0;
}
