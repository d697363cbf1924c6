// Text at the edge of the Windows API: the program keeps UTF-8 everywhere,
// the wide-character calls take UTF-16.
// Not for: other systems (this header includes nothing of Windows itself,
// but its functions exist only in the Windows build).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sw::storage::win32 {

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::wstring Widen(std::string_view utf8);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view utf16);
// The system's text for an error code from GetLastError, without the
// trailing line break, followed by the code.
std::string SystemMessage(std::uint32_t code);

}  // namespace sw::storage::win32
