#include "driver/dbf/MemoFile.h"

#include <cstring>

#include "driver/dbf/DbfTable.h"
#include "driver/dbf/FileAccess.h"

namespace kdbf {
namespace {

// A memo larger than this is taken for damage rather than text.
constexpr std::uint32_t kMaxMemo = 64u << 20;

std::uint32_t Little32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint32_t Big32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

}  // namespace

std::unique_ptr<MemoFile> MemoFile::Open(const std::string& path, Layout layout) {
    std::string why;
    const int fd = OpenForReading(path, &why);
    if (fd < 0) throw DbfError("Cannot open memo file '" + path + "': " + why);
    std::unique_ptr<MemoFile> memo(new MemoFile(path, fd, layout));
    unsigned char header[32] = {};
    if (!RegularFileSize(fd, &memo->file_size_) ||
        !ReadExactly(fd, 0, reinterpret_cast<char*>(header), sizeof header))
        throw DbfError("Memo file '" + path + "' is not a readable memo file");
    if (layout == Layout::kFoxPro) {
        memo->block_size_ = header[6] << 8 | header[7];
        memo->header_size_ = 512;
    }
    if (layout == Layout::kDbase4) {
        const unsigned size = header[20] | header[21] << 8;
        if (size != 0) memo->block_size_ = size;
    }
    if (memo->block_size_ == 0)
        throw DbfError("Memo file '" + path + "' is not a readable memo file: block size 0");
    return memo;
}

MemoFile::~MemoFile() {
    CloseFile(fd_);
}

std::string MemoFile::Read(std::uint32_t block) const {
    const std::uint64_t offset = static_cast<std::uint64_t>(block) * block_size_;
    auto damaged = [&](const std::string& what) {
        return DbfError("Memo block " + std::to_string(block) + " of file '" + path_ + "' " + what);
    };
    if (block == 0 || offset >= file_size_) throw damaged("lies outside the file");
    if (offset < header_size_) throw damaged("lies within the file's header");
    const std::uint64_t available = file_size_ - offset;
    std::string text;
    if (layout_ == Layout::kDbase3) {
        // The text runs on over the following blocks until its end mark.
        while (text.size() < available && text.size() < kMaxMemo) {
            const std::size_t start = text.size();
            const std::size_t piece =
                static_cast<std::size_t>(std::min<std::uint64_t>(block_size_, available - start));
            text.resize(start + piece);
            if (!ReadExactly(fd_, offset + start, text.data() + start, piece))
                throw damaged("cannot be read");
            const std::size_t end = text.find('\x1A', start);
            if (end != std::string::npos) {
                text.resize(end);
                return text;
            }
        }
        return text;
    }
    unsigned char head[8];
    if (available < sizeof head || !ReadExactly(fd_, offset, reinterpret_cast<char*>(head), 8))
        throw damaged("is cut off");
    std::uint32_t length = 0;
    if (layout_ == Layout::kFoxPro) {
        length = Big32(head + 4);
    } else {
        if (head[0] != 0xFF || head[1] != 0xFF || head[2] != 0x08 || head[3] != 0x00)
            throw damaged("does not start a memo");
        length = Little32(head + 4);
        length = length >= 8 ? length - 8 : 0;  // the length counts its own header
    }
    if (length > kMaxMemo || length > available - 8) throw damaged("is cut off");
    text.resize(length);
    if (!ReadExactly(fd_, offset + 8, text.data(), length)) throw damaged("cannot be read");
    return text;
}

}  // namespace kdbf
