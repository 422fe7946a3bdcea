// GBK and UTF-8 conversions shared by the code-page functions, the path translation and
// the message box. "Strict" conversions fail on bytes or characters the other side cannot
// represent; lenient ones substitute a replacement character.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::kernel {

// What an undecodable byte becomes: U+FFFD for UTF-8 input, '?' for GBK input.
constexpr char16_t kUtf8Replacement = 0xFFFD;
constexpr char16_t kGbkReplacement = u'?';

// Append to out; false (with out partly filled) when strict and the input is invalid.
bool DecodeUtf8(std::string_view in, bool strict, std::u16string& out);
bool DecodeGbk(std::string_view in, bool strict, std::u16string& out);
// Lone surrogates become U+FFFD unless strict.
bool EncodeUtf8(std::u16string_view in, bool strict, std::string& out);
// Characters without a GBK form become defaultChar (and set *usedDefault) unless strict.
bool EncodeGbk(std::u16string_view in, bool strict, std::string_view defaultChar, bool* usedDefault,
               std::string& out);

std::optional<std::string> GbkToUtf8(std::string_view gbk, bool strict);
std::optional<std::string> Utf8ToGbk(std::string_view utf8, bool strict);

}  // namespace platform::kernel
