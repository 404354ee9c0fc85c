// Reading one value from a Wine prefix's registry file (system.reg, user.reg), where a
// Windows program installed under Wine keeps its registration.
#pragma once

#include <cstdint>
#include <string>

// A value as a Windows program would read it through the ANSI registry functions: its
// type and its bytes, string types in the system's 8-bit encoding (UTF-8 here) with
// their terminating NULs.
struct SRegValue {
    uint32_t nType = 0;
    std::string strData;
};

// Looks up value `strName` of key `strKey` ("\"-separated, relative to the file's root;
// both matched without regard to ASCII case) in the text of a Wine registry file.
// Understands quoted strings, str(N):, hex:, hex(N): and dword: values. Returns false
// when the key or value is absent or its text cannot be decoded.
bool FindWineRegValue(const std::string& strRegText, const std::string& strKey,
                      const std::string& strName, SRegValue& value);
