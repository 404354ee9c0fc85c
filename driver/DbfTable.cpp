#include "driver/DbfTable.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>
#include <cstring>

namespace kdbf {
namespace {

constexpr int kFileHeaderSize = 32;
constexpr int kDescriptorSize = 32;
constexpr char kHeaderEnd = 0x0D;

[[noreturn]] void Fail(const std::string& path, const std::string& what) {
    throw DbfError("File '" + path + "' is not a readable dBase table: " + what);
}

unsigned Byte(const std::string& s, std::size_t i) {
    return static_cast<unsigned char>(s[i]);
}

// Version bytes of the dBase III family and of its direct successors, whose record
// layout is the same; anything else is more likely a different kind of file.
bool IsKnownVersion(unsigned version) {
    switch (version) {
        case 0x03:
        case 0x04:
        case 0x05:
        case 0x30:
        case 0x31:
        case 0x83:
        case 0x8B:
        case 0xF5:
            return true;
        default:
            return false;
    }
}

// Reads exactly `size` bytes at `offset`; false on a short read or an error.
bool ReadAt(int fd, std::uint64_t offset, char* buffer, std::size_t size) {
    while (size > 0) {
        ssize_t got = pread(fd, buffer, size, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        buffer += got;
        size -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

}  // namespace

void DbfTable::ParseHeader(const std::string& path, const std::string& header,
                           std::uint64_t file_size, std::vector<DbfField>* fields,
                           std::uint32_t* record_count, int* header_length, int* record_length) {
    if (header.size() < kFileHeaderSize) Fail(path, "the file is too short for a header");
    if (!IsKnownVersion(Byte(header, 0))) Fail(path, "unknown version byte");
    const std::uint32_t count = Byte(header, 4) | Byte(header, 5) << 8 | Byte(header, 6) << 16 |
                                static_cast<std::uint32_t>(Byte(header, 7)) << 24;
    const int head_len = static_cast<int>(Byte(header, 8) | Byte(header, 9) << 8);
    const int rec_len = static_cast<int>(Byte(header, 10) | Byte(header, 11) << 8);
    if (head_len < kFileHeaderSize + kDescriptorSize + 1 ||
        static_cast<std::size_t>(head_len) > header.size())
        Fail(path, "implausible header length");

    // Descriptors follow the file header until the terminator byte.
    fields->clear();
    int offset = 0;
    int pos = kFileHeaderSize;
    for (; pos + kDescriptorSize <= head_len && header[pos] != kHeaderEnd; pos += kDescriptorSize) {
        DbfField field;
        const char* name = header.data() + pos;
        field.name.assign(name, strnlen(name, 11));
        field.type = header[pos + 11];
        field.width = static_cast<int>(Byte(header, pos + 16));
        field.decimals = static_cast<int>(Byte(header, pos + 17));
        field.offset = offset;
        if (field.name.empty() || field.width == 0)
            Fail(path, "field descriptor " + std::to_string(fields->size() + 1) + " is damaged");
        offset += field.width;
        fields->push_back(std::move(field));
    }
    if (pos >= head_len || header[pos] != kHeaderEnd)
        Fail(path, "the field descriptors are not terminated");
    if (fields->empty()) Fail(path, "the table has no fields");
    if (offset + 1 != rec_len)
        Fail(path, "the record length " + std::to_string(rec_len) + " does not match its fields (" +
                       std::to_string(offset + 1) + ")");
    const std::uint64_t needed =
        static_cast<std::uint64_t>(head_len) + static_cast<std::uint64_t>(count) * rec_len;
    if (file_size < needed)
        Fail(path, "the file holds " + std::to_string(file_size) + " bytes, but its " +
                       std::to_string(count) + " records need " + std::to_string(needed));
    *record_count = count;
    *header_length = head_len;
    *record_length = rec_len;
}

std::unique_ptr<DbfTable> DbfTable::Open(const std::string& path) {
    // Non-blocking, so that a FIFO or a device named like a table cannot hang the open;
    // it is refused as not a regular file below, and regular files ignore the flag.
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw DbfError("Cannot open file '" + path + "': " + std::strerror(errno));
    std::unique_ptr<DbfTable> table(new DbfTable(path, fd));
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) Fail(path, "not a regular file");
    const auto file_size = static_cast<std::uint64_t>(st.st_size);

    std::string header(kFileHeaderSize, '\0');
    if (!ReadAt(fd, 0, header.data(), header.size()))
        Fail(path, "the file is too short for a header");
    const std::size_t head_len = Byte(header, 8) | Byte(header, 9) << 8;
    if (head_len > header.size()) {
        header.resize(head_len);
        if (!ReadAt(fd, 0, header.data(), head_len)) Fail(path, "the header is cut off");
    }
    ParseHeader(path, header, file_size, &table->fields_, &table->record_count_,
                &table->header_length_, &table->record_length_);
    table->record_.resize(static_cast<std::size_t>(table->record_length_));
    return table;
}

DbfTable::DbfTable(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

DbfTable::~DbfTable() {
    if (fd_ >= 0) close(fd_);
}

int DbfTable::FindField(const std::string& name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (strcasecmp(fields_[i].name.c_str(), name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

void DbfTable::Load(std::uint32_t record) {
    if (loaded_ == static_cast<std::int64_t>(record)) return;
    if (record >= record_count_)
        throw DbfError("Record " + std::to_string(record + 1) + " of '" + path_ +
                       "' does not exist");
    loaded_ = -1;
    const std::uint64_t offset = static_cast<std::uint64_t>(header_length_) +
                                 static_cast<std::uint64_t>(record) * record_length_;
    if (!ReadAt(fd_, offset, record_.data(), record_.size()))
        throw DbfError("Cannot read record " + std::to_string(record + 1) + " of '" + path_ +
                       "': the file ends early or cannot be read");
    loaded_ = record;
}

bool DbfTable::IsDeleted() const {
    return loaded_ >= 0 && record_[0] == '*';
}

std::string DbfTable::RawText(int field) const {
    const DbfField& f = fields_.at(static_cast<std::size_t>(field));
    return record_.substr(static_cast<std::size_t>(1 + f.offset),
                          static_cast<std::size_t>(f.width));
}

std::string TrimFieldText(const std::string& raw, char type) {
    std::size_t end = raw.find_last_not_of(" \0", std::string::npos, 2);
    if (end == std::string::npos) return {};
    std::size_t begin = 0;
    if (type != 'C') begin = raw.find_first_not_of(' ');
    return raw.substr(begin, end + 1 - begin);
}

}  // namespace kdbf
