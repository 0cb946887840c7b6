// Percent-encoding and decoding of the URL functions, and the decoding of form pairs.
#pragma once

#include <string>
#include <string_view>

namespace orvel::url {

// Appends every byte except the ASCII letters and digits as "%" and two upper-case hex digits.
void append_percent_encoded(std::string& out, std::string_view text);

// Appends the text with each "%" followed by two hex digits (either case) turned into that byte;
// every other byte, a lone "%" included, is kept. The result may be any bytes.
void append_percent_decoded(std::string& out, std::string_view text);

// The same with "+" read as a blank, as form encoding writes it ("%2B" still gives "+").
void append_form_decoded(std::string& out, std::string_view text);

}  // namespace orvel::url
