#pragma once
// The size list is stored as one line of comma text:
//
//   原寸,24,30,"a b","say ""hi"""
//
// Items are separated by ","; an item holding a blank, a control character,
// a comma or a double quote goes inside double quotes with inner quotes
// doubled. On reading, an unquoted blank separates items as a comma does.
#include <string>
#include <string_view>
#include <vector>

namespace plendo::settings {

std::string ToCommaText(const std::vector<std::string>& items);
std::vector<std::string> FromCommaText(std::string_view text);

}  // namespace plendo::settings
