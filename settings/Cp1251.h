#pragma once

#include <string>
#include <string_view>

// The program's Russian message texts are kept in Windows-1251, as in the original data; they
// are turned into UTF-8 only when shown.
std::string Cp1251ToUtf8(std::string_view text);
