#include <iconv.h>

#include <cerrno>

#include "driver/dbf/Transcoder.h"

namespace kdbf {
namespace {

iconv_t Descriptor(void* state) {
    return static_cast<iconv_t>(state);
}

}  // namespace

std::unique_ptr<Transcoder> Transcoder::Open(const std::string& code_page) {
    const iconv_t cd = iconv_open("UTF-8", code_page.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return std::unique_ptr<Transcoder>(new Transcoder(cd));
}

Transcoder::~Transcoder() {
    iconv_close(Descriptor(state_));
}

Transcoder::Single Transcoder::DecodeByte(unsigned char byte, std::string* out) const {
    char in = static_cast<char>(byte);
    char buffer[8];
    char* in_ptr = &in;
    char* out_ptr = buffer;
    std::size_t in_left = 1, out_left = sizeof buffer;
    iconv(Descriptor(state_), nullptr, nullptr, nullptr, nullptr);
    if (iconv(Descriptor(state_), &in_ptr, &in_left, &out_ptr, &out_left) !=
        static_cast<std::size_t>(-1)) {
        out->assign(buffer, static_cast<std::size_t>(out_ptr - buffer));
        return Single::kChar;
    }
    return errno == EINVAL ? Single::kLead : Single::kUndefined;
}

void Transcoder::Append(std::string_view bytes, const char* replacement, std::string* out) const {
    const iconv_t cd = Descriptor(state_);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    while (in_left > 0) {
        char buffer[256];
        char* out_ptr = buffer;
        std::size_t out_left = sizeof buffer;
        const std::size_t rc = iconv(cd, &in, &in_left, &out_ptr, &out_left);
        out->append(buffer, static_cast<std::size_t>(out_ptr - buffer));
        if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) {
            out->append(replacement);  // an invalid or cut-off sequence
            ++in;
            --in_left;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
}

}  // namespace kdbf
