// Checks of the card texts and fields the commands send: what a field cannot hold is refused,
// never cut.
#pragma once

#include <string>

namespace vorskel::cli {

// Throws std::invalid_argument unless card is 8 hexadecimal digits.
void require_card(const std::string& card, const char* what);
// Throws std::invalid_argument when text is longer than room bytes.
void require_fits(const std::string& text, std::size_t room, const char* what);

}  // namespace vorskel::cli
