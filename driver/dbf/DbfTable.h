// Read-only access to one dBase table file (dBase III, IV and 7, FoxPro, Visual
// FoxPro).
//
// The header is checked for plausibility when the file is opened; records are read in
// blocks of about 64 KB, only when asked for, so opening a huge table costs no more than
// opening a small one and scanning one runs near the speed of reading the file. Nothing
// here knows about ODBC: errors are reported as DbfError with a message that names the
// file.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kdbf {

class DbfError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class MemoFile;
class TextDecoder;

// How a connection wants its tables read.
struct TableOptions {
    std::string code_page;  // CODEPAGE: see ChooseCodePage
    // NULLSTARS: a number field full of '*' is NULL, as GDAL and shapelib write NULL
    // numbers and as other readers take it; off (NULLSTARS=0), it is an error instead,
    // dBase's mark of a value too wide for its field.
    bool stars_are_null = true;
};

struct DbfField {
    std::string name;  // as stored, upper case by convention
    char type = 'C';   // 'C', 'N', 'F', 'L', 'D', 'M', 'I', 'Y', 'T', 'B', ... as stored
    int width = 0;
    int decimals = 0;
    int offset = 0;     // within the record, after the deletion flag
    int null_bit = -1;  // its bit in _NullFlags when the field may hold NULL, else -1
    // Of a V or Q field, its bit in _NullFlags that is set when the field holds fewer
    // bytes than its width (their count is then in its last byte); else -1.
    int length_bit = -1;
    bool hidden = false;  // a system field (_NullFlags) that clients never see
    // Of a Visual FoxPro table, whose B, I, Y and T fields hold binary values (a dBase
    // B field is a binary memo instead).
    bool visual_foxpro = false;
    // Of a dBase 7 table, whose I, +, O and @ fields hold binary values.
    bool dbase7 = false;
};

class DbfTable {
public:
    // Opens `path` for reading only. Throws DbfError when the file cannot be read or is
    // not a plausible dBase table: too short, unknown version, field descriptors that
    // do not add up to the record length, or fewer bytes than the records announced.
    static std::unique_ptr<DbfTable> Open(const std::string& path,
                                          const TableOptions& options = {});

    // Checks a header image (at least the header bytes) against the file size; used by
    // Open and directly by the tests and the fuzzer. Throws DbfError.
    static void ParseHeader(const std::string& path, const std::string& header_bytes,
                            std::uint64_t file_size, std::vector<DbfField>* fields,
                            std::uint32_t* record_count, int* header_length, int* record_length);

    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    const std::string& Path() const { return path_; }
    const TableOptions& Options() const { return options_; }
    unsigned Version() const { return version_; }
    // Visual FoxPro tables, whose binary field types differ from dBase's.
    bool IsVisualFoxPro() const { return version_ == 0x30 || version_ == 0x31 || version_ == 0x32; }
    // The fields clients see; hidden ones are left out.
    const std::vector<DbfField>& Fields() const { return fields_; }
    // Records as the header counts them, deleted ones included.
    std::uint32_t RecordCount() const { return record_count_; }
    // Index of the field named `name` (case-insensitive), or -1.
    int FindField(const std::string& name) const;

    // Makes record `record` (from 0) the current one, reading its block unless it is
    // already in memory. Throws DbfError naming the record when the read fails.
    void Load(std::uint32_t record);
    // Of the loaded record: its deletion mark, the raw bytes of a field, and whether
    // _NullFlags marks the field NULL.
    bool IsDeleted() const { return current_ != nullptr && current_[0] == '*'; }
    std::string_view Raw(int field) const;
    bool IsNullFlagged(int field) const;
    // Whether `bit` (a DbfField's null_bit or length_bit) is set in _NullFlags.
    bool IsFlagged(int bit) const;

    // The text decoder of the table's code page, made on first use, so that a code
    // page nobody can decode stops only the reading of text. Throws DbfError.
    const TextDecoder& Decoder();
    // The memo file beside the table, opened on first use. Throws DbfError naming the
    // file it looked for when there is none.
    const MemoFile& Memo();

private:
    DbfTable(std::string path, int fd);
    std::string_view Raw(const DbfField& field) const;

    std::string path_;
    TableOptions options_;
    int fd_ = -1;
    unsigned version_ = 0;
    unsigned code_page_byte_ = 0;
    std::vector<DbfField> fields_;
    DbfField nullflags_;  // width 0 when the table has none
    std::uint32_t record_count_ = 0;
    int header_length_ = 0;
    int record_length_ = 0;
    // The block of records in memory: records [block_first_, block_first_ + block_count_).
    std::vector<char> block_;
    std::uint32_t block_first_ = 0;
    std::uint32_t block_count_ = 0;
    const char* current_ = nullptr;
    std::unique_ptr<TextDecoder> decoder_;
    std::unique_ptr<MemoFile> memo_;
};

// The text of a field as a client should see it: character fields lose trailing
// blanks (and NULs), all other types lose blanks on both sides.
std::string_view TrimFieldText(std::string_view raw, char type);

// dBase 7 tables (version 0x04, or 0x8C with a memo file), whose field descriptors
// are 48 bytes long.
bool IsDbase7(unsigned version);

// Reads exactly `size` bytes at `offset`; false on a short read or an error.
bool ReadExactly(int fd, std::uint64_t offset, char* buffer, std::size_t size);

}  // namespace kdbf
