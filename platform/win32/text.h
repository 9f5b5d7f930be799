// UTF-8 (the interface's texts) to UTF-16 (the W functions) and back.
#pragma once

#include <string>

namespace platform::win32 {

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);
std::string Narrow(const wchar_t* text);

}  // namespace platform::win32
