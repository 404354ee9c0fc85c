// Read-only access to one dBase III table file.
//
// The header is checked for plausibility when the file is opened; records are read
// one at a time, only when asked for, so opening a huge table costs no more than
// opening a small one. Nothing here knows about ODBC: errors are reported as
// DbfError with a message that names the file.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace kdbf {

class DbfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct DbfField {
    std::string name;  // as stored, upper case by convention
    char type = 'C';   // 'C', 'N', 'F', 'L', 'D', ... as stored
    int width = 0;
    int decimals = 0;
    int offset = 0;  // within the record, after the deletion flag
};

class DbfTable {
public:
    // Opens `path` for reading only. Throws DbfError when the file cannot be read or is
    // not a plausible dBase table: too short, unknown version, field descriptors that
    // do not add up to the record length, or fewer bytes than the records announced.
    static std::unique_ptr<DbfTable> Open(const std::string& path);

    // Checks a header image (at least the header bytes) against the file size; used by
    // Open and directly by the tests and the fuzzer. Throws DbfError.
    static void ParseHeader(const std::string& path, const std::string& header_bytes,
                            std::uint64_t file_size, std::vector<DbfField>* fields,
                            std::uint32_t* record_count, int* header_length, int* record_length);

    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    const std::string& Path() const { return path_; }
    const std::vector<DbfField>& Fields() const { return fields_; }
    // Records as the header counts them, deleted ones included.
    std::uint32_t RecordCount() const { return record_count_; }
    // Index of the field named `name` (case-insensitive), or -1.
    int FindField(const std::string& name) const;

    // Reads record `record` (from 0) into the current record buffer unless it is
    // already there. Throws DbfError naming the record when the read fails.
    void Load(std::uint32_t record);
    // Of the loaded record: its deletion mark and the raw text of a field.
    bool IsDeleted() const;
    std::string RawText(int field) const;

private:
    DbfTable(std::string path, int fd);

    std::string path_;
    int fd_ = -1;
    std::vector<DbfField> fields_;
    std::uint32_t record_count_ = 0;
    int header_length_ = 0;
    int record_length_ = 0;
    std::int64_t loaded_ = -1;
    std::string record_;
};

// The text of a field as a client should see it: character fields lose trailing
// blanks, all other types lose blanks on both sides.
std::string TrimFieldText(const std::string& raw, char type);

}  // namespace kdbf
