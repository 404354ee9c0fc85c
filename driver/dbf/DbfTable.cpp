#include "driver/dbf/DbfTable.h"

#include <strings.h>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "driver/dbf/CodePage.h"
#include "driver/dbf/FileAccess.h"
#include "driver/dbf/MemoFile.h"

namespace kdbf {
namespace {

constexpr int kFileHeaderSize = 32;
constexpr int kDescriptorSize = 32;
// dBase 7 keeps a language-driver name after the file header, and longer descriptors.
constexpr int kDbase7Start = 68;
constexpr int kDbase7DescriptorSize = 48;
constexpr std::size_t kBlockBytes = 64 * 1024;
constexpr unsigned kNullableFlag = 0x02;

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
        case 0x04:  // dBase 7
        case 0x05:
        case 0x30:
        case 0x31:
        case 0x32:
        case 0x83:
        case 0x8B:
        case 0x8C:  // dBase 7 with a memo file
        case 0xF5:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool IsDbase7(unsigned version) {
    return version == 0x04 || version == 0x8C;
}

bool ReadExactly(int fd, std::uint64_t offset, char* buffer, std::size_t size) {
    return ReadAt(fd, offset, buffer, size) == size;
}

void DbfTable::ParseHeader(const std::string& path, const std::string& header,
                           std::uint64_t file_size, std::vector<DbfField>* fields,
                           std::uint32_t* record_count, int* header_length, int* record_length) {
    if (header.size() < kFileHeaderSize) Fail(path, "the file is too short for a header");
    if (!IsKnownVersion(Byte(header, 0))) Fail(path, "unknown version byte");
    const std::uint32_t count = Byte(header, 4) | Byte(header, 5) << 8 | Byte(header, 6) << 16 |
                                static_cast<std::uint32_t>(Byte(header, 7)) << 24;
    const int head_len = static_cast<int>(Byte(header, 8) | Byte(header, 9) << 8);
    const int rec_len = static_cast<int>(Byte(header, 10) | Byte(header, 11) << 8);
    const bool dbase7 = IsDbase7(Byte(header, 0));
    const int start = dbase7 ? kDbase7Start : kFileHeaderSize;
    const int size = dbase7 ? kDbase7DescriptorSize : kDescriptorSize;
    if (head_len < start + 1 || static_cast<std::size_t>(head_len) > header.size())
        Fail(path, "implausible header length");

    // Descriptors follow the file header until a terminator: 0x0D as dBase writes it,
    // 0x0A or 0x00 as some GIS tools do. The records start where the header length
    // says, whatever lies between.
    fields->clear();
    int offset = 0;
    int flag_bits = 0;
    int pos = start;
    const auto terminator = [&](int at) {
        return at < head_len && (header[at] == 0x0D || header[at] == 0x0A || header[at] == 0);
    };
    for (; pos + size <= head_len && !terminator(pos); pos += size) {
        DbfField field;
        const char* name = header.data() + pos;
        const int at = dbase7 ? 32 : 11;  // the type letter, then width and decimals
        field.name.assign(name, strnlen(name, static_cast<std::size_t>(at)));
        field.type = header[pos + at];
        field.width = static_cast<int>(Byte(header, pos + at + 1 + (dbase7 ? 0 : 4)));
        field.decimals = static_cast<int>(Byte(header, pos + at + 2 + (dbase7 ? 0 : 4)));
        field.dbase7 = dbase7;
        // FoxPro and Clipper keep the high byte of a text field's width where other
        // types keep their decimals.
        if (field.type == 'C') {
            field.width += field.decimals << 8;
            field.decimals = 0;
        }
        field.offset = offset;
        if (field.width == 0)
            Fail(path, "field descriptor " + std::to_string(fields->size() + 1) + " is damaged");
        // Visual FoxPro keeps one bit per nullable field, and one more per field of
        // variable length (before its null bit), in the hidden _NullFlags field, in
        // field order.
        field.hidden = field.type == '0';
        const unsigned flags = dbase7 ? 0 : Byte(header, pos + 18);
        if (field.type == 'V' || field.type == 'Q') field.length_bit = flag_bits++;
        if (!field.hidden && (flags & kNullableFlag) != 0) field.null_bit = flag_bits++;
        offset += field.width;
        fields->push_back(std::move(field));
    }
    if (!terminator(pos)) Fail(path, "the field descriptors are not terminated");
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

std::unique_ptr<DbfTable> DbfTable::Open(const std::string& path, const TableOptions& options) {
    // A FIFO or a device named like a table cannot hang the open; it is refused as not a
    // regular file below.
    std::string why;
    int fd = OpenForReading(path, &why);
    if (fd < 0) throw DbfError("Cannot open file '" + path + "': " + why);
    std::unique_ptr<DbfTable> table(new DbfTable(path, fd));
    std::uint64_t file_size = 0;
    if (!RegularFileSize(fd, &file_size)) Fail(path, "not a regular file");

    std::string header(kFileHeaderSize, '\0');
    if (!ReadExactly(fd, 0, header.data(), header.size()))
        Fail(path, "the file is too short for a header");
    if (!IsKnownVersion(Byte(header, 0))) Fail(path, "unknown version byte");
    const std::size_t head_len = Byte(header, 8) | Byte(header, 9) << 8;
    if (head_len > header.size()) {
        header.resize(head_len);
        if (!ReadExactly(fd, 0, header.data(), head_len)) Fail(path, "the header is cut off");
    }
    ParseHeader(path, header, file_size, &table->fields_, &table->record_count_,
                &table->header_length_, &table->record_length_);
    table->version_ = Byte(header, 0);
    std::vector<DbfField> visible;
    for (DbfField& field : table->fields_) {
        field.visual_foxpro = table->IsVisualFoxPro();
        if (!field.hidden)
            visible.push_back(std::move(field));
        else if (strcasecmp(field.name.c_str(), "_NULLFLAGS") == 0)
            table->nullflags_ = std::move(field);
    }
    table->fields_ = std::move(visible);
    table->options_ = options;
    table->code_page_byte_ = Byte(header, 29);
    // Field names are in the table's code page, as its text is.
    for (DbfField& field : table->fields_) {
        if (std::all_of(field.name.begin(), field.name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            continue;
        std::string name;
        try {
            table->Decoder().Append(field.name, &name);
        } catch (const DbfError& e) {
            throw DbfError(std::string(e.what()) + " (table '" + path + "')");
        }
        field.name = std::move(name);
    }
    return table;
}

DbfTable::DbfTable(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

DbfTable::~DbfTable() {
    if (fd_ >= 0) CloseFile(fd_);
}

int DbfTable::FindField(const std::string& name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (strcasecmp(fields_[i].name.c_str(), name.c_str()) == 0) return static_cast<int>(i);
    return -1;
}

void DbfTable::Load(std::uint32_t record) {
    if (record >= record_count_)
        throw DbfError("Record " + std::to_string(record + 1) + " of '" + path_ +
                       "' does not exist");
    if (record - block_first_ < block_count_ && record >= block_first_) {
        current_ = block_.data() + static_cast<std::size_t>(record - block_first_) * record_length_;
        return;
    }
    // Blocks are aligned to their size, so that a cursor moving back meets the same
    // blocks as one moving forward.
    const auto length = static_cast<std::size_t>(record_length_);
    const auto per_block =
        static_cast<std::uint32_t>(std::max<std::size_t>(1, kBlockBytes / length));
    const std::uint32_t first = record / per_block * per_block;
    const std::uint32_t wanted = std::min(per_block, record_count_ - first);
    block_.resize(static_cast<std::size_t>(wanted) * length);
    current_ = nullptr;
    block_first_ = first;
    const std::uint64_t offset =
        static_cast<std::uint64_t>(header_length_) + static_cast<std::uint64_t>(first) * length;
    block_count_ =
        static_cast<std::uint32_t>(ReadAt(fd_, offset, block_.data(), block_.size()) / length);
    if (record - first >= block_count_)
        throw DbfError("Cannot read record " + std::to_string(record + 1) + " of '" + path_ +
                       "': the file ends early or cannot be read");
    current_ = block_.data() + static_cast<std::size_t>(record - first) * length;
}

std::string_view DbfTable::Raw(int field) const {
    return Raw(fields_.at(static_cast<std::size_t>(field)));
}

std::string_view DbfTable::Raw(const DbfField& field) const {
    return std::string_view(current_ + 1 + field.offset, static_cast<std::size_t>(field.width));
}

bool DbfTable::IsNullFlagged(int field) const {
    return IsFlagged(fields_[static_cast<std::size_t>(field)].null_bit);
}

bool DbfTable::IsFlagged(int bit) const {
    if (bit < 0 || nullflags_.width == 0) return false;
    const std::string_view flags = Raw(nullflags_);
    const auto byte = static_cast<std::size_t>(bit / 8);
    return byte < flags.size() && (static_cast<unsigned char>(flags[byte]) >> (bit % 8) & 1) != 0;
}

const TextDecoder& DbfTable::Decoder() {
    if (!decoder_)
        decoder_ = std::make_unique<TextDecoder>(
            ChooseCodePage(code_page_byte_, path_, options_.code_page));
    return *decoder_;
}

const MemoFile& DbfTable::Memo() {
    if (memo_) return *memo_;
    const bool fox = IsVisualFoxPro() || version_ == 0xF5;
    const std::size_t dot = path_.find_last_of("./");
    const std::string stem =
        dot != std::string::npos && path_[dot] == '.' ? path_.substr(0, dot) : path_;
    // DOS and Windows tools write the memo file's extension in either letter case,
    // whatever the table's: the table's case first, then the other. A failure names
    // the first.
    const bool upper = dot != std::string::npos && path_.size() > dot + 1 &&
                       std::isupper(static_cast<unsigned char>(path_[dot + 1]));
    const std::string lower = stem + (fox ? ".fpt" : ".dbt");
    const std::string capital = stem + (fox ? ".FPT" : ".DBT");
    const auto layout = fox ? MemoFile::Layout::kFoxPro
                        : version_ == 0x8B || version_ == 0xCB || version_ == 0x8C
                            ? MemoFile::Layout::kDbase4
                            : MemoFile::Layout::kDbase3;
    try {
        memo_ = MemoFile::Open(upper ? capital : lower, layout);
    } catch (const DbfError& first) {
        try {
            memo_ = MemoFile::Open(upper ? lower : capital, layout);
        } catch (const DbfError&) {
            throw first;
        }
    }
    return *memo_;
}

std::string_view TrimFieldText(std::string_view raw, char type) {
    const std::size_t end = raw.find_last_not_of(std::string_view(" \0", 2));
    if (end == std::string_view::npos) return {};
    std::size_t begin = 0;
    if (type != 'C') begin = raw.find_first_not_of(' ');
    return raw.substr(begin, end + 1 - begin);
}

}  // namespace kdbf
