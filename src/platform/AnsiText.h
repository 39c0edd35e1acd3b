// Conversions at the Win32 boundary: the program keeps UTF-8 text; the wide functions take
// UTF-16; files written in the ANSI code page (definitions, exclusion list, report, journal)
// hold ANSI bytes.
#pragma once

#include <string>
#include <string_view>

std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);
std::string AnsiToUtf8(std::string_view ansi);
std::string Utf8ToAnsi(std::string_view text);
