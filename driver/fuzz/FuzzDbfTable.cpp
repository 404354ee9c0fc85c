// Feeds arbitrary bytes to the table reader as a whole file and reads every record
// and field, the way a fetch would. Any crash or out-of-bounds read is a finding.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "driver/Convert.h"
#include "driver/DbfTable.h"

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
                    (void)kdbf::ParseNumber(kdbf::TrimFieldText(table->Raw(static_cast<int>(f)), field.type));
                }
            }
        } catch (const kdbf::DbfError&) {
        }
    }
    close(fd);
    return 0;
}
