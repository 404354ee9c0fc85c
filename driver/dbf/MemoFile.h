// The memo file beside a table: variable-length text that memo fields point to by
// block number. Three layouts are met in practice:
//   dBase III .dbt: 512-byte blocks, the text ends at a 0x1A byte;
//   dBase IV .dbt:  blocks of the size in the file header, each memo starting with
//                   FF FF 08 00 and its length (header included, little-endian);
//   FoxPro .fpt:    blocks of the size in the file header (big-endian), each memo
//                   starting with its type and its length (big-endian).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace kdbf {

class MemoFile {
public:
    enum class Layout { kDbase3, kDbase4, kFoxPro };

    // Opens `path`; throws DbfError naming it when it cannot be opened or its header
    // is not plausible.
    static std::unique_ptr<MemoFile> Open(const std::string& path, Layout layout);
    ~MemoFile();
    MemoFile(const MemoFile&) = delete;
    MemoFile& operator=(const MemoFile&) = delete;

    // The bytes of the memo starting at `block`; throws DbfError naming the file and
    // the block when it lies outside the file or is damaged.
    std::string Read(std::uint32_t block) const;

    const std::string& Path() const { return path_; }

private:
    MemoFile(std::string path, int fd, Layout layout)
        : path_(std::move(path)), fd_(fd), layout_(layout) {}

    std::string path_;
    int fd_;
    Layout layout_;
    std::uint32_t block_size_ = 512;
    std::uint32_t header_size_ = 0;  // the bytes no memo starts in (a FoxPro file's 512)
    std::uint64_t file_size_ = 0;
};

}  // namespace kdbf
