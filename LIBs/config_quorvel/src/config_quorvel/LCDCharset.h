#pragma once

#include <cstdint>

namespace config_quorvel {

// The code page of the panel's character display: ASCII up to 'z', Cyrillic
// letters in the upper half. Cyrillic letters that look like Latin ones have
// no code; the panel writes them with the Latin letters.

// The character of one display byte; bytes without a character give '.'.
char16_t lcdToUnicode(std::uint8_t byte);

// The display byte of a character, the inverse of lcdToUnicode. Returns
// false when the code page has no code for it.
bool unicodeToLcd(char16_t character, std::uint8_t& byte);

} // namespace config_quorvel
