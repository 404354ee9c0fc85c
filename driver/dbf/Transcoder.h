// The system's conversion of one code page into UTF-8: iconv on POSIX systems, Windows'
// own code-page tables there. TextDecoder decides what to do with it.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kdbf {

class Transcoder {
public:
    // The converter of `code_page` (a name as NormalizeCodePage gives it), or nullptr when
    // the system does not know it.
    static std::unique_ptr<Transcoder> Open(const std::string& code_page);
    ~Transcoder();
    Transcoder(const Transcoder&) = delete;
    Transcoder& operator=(const Transcoder&) = delete;

    enum class Single { kChar, kLead, kUndefined };
    // The byte on its own: a character (its UTF-8 in `out`), the first byte of a longer
    // sequence, or a byte the code page does not define.
    Single DecodeByte(unsigned char byte, std::string* out) const;

    // Appends the UTF-8 of `bytes` to `out`; each byte that begins no valid sequence
    // becomes `replacement`.
    void Append(std::string_view bytes, const char* replacement, std::string* out) const;

private:
    explicit Transcoder(void* state) : state_(state) {}
    void* state_;  // the iconv descriptor, or the Windows code page number
};

}  // namespace kdbf
