#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace config_quorvel {

// The code page of the panel's character display: ASCII up to 'z', Cyrillic
// letters in the upper half. Cyrillic letters that look like Latin ones have
// no code; the panel writes them with the Latin letters.

// The character of one display byte; bytes without a character give '.'.
char16_t lcdToUnicode(std::uint8_t byte);

// The display byte of a character, the inverse of lcdToUnicode. Returns
// false when the code page has no code for it.
bool unicodeToLcd(char16_t character, std::uint8_t& byte);

// A Cyrillic letter without a code and the Latin letter the panel writes
// for it.
struct LookAlike {
    char16_t cyrillic;
    char16_t latin;
};

// Every such pair: the capitals А В Е К М Н О Р С Т Х Ь and the small letters
// а е о р с у х.
extern const std::array<LookAlike, 19> lookAlikes;

// A text as the panel spells it: every Cyrillic letter that has a Latin
// look-alike replaced by that Latin letter.
std::u16string displaySpelling(std::u16string text);

// A character as a reader of the display takes it: a Latin look-alike is
// its Cyrillic letter; any other character stays.
char16_t readerLetter(char16_t character);

// A text as a reader of the display spells it, for what leaves the program
// to be read or searched elsewhere (CSV, copied rows, the report): within a
// word (a run of characters between white space) that holds at least one
// Cyrillic character, every Latin look-alike becomes its Cyrillic letter, so
// "HEИCПPABH." reads "НЕИСПРАВН." and "Л.c." reads "Л.с.". A word without a
// Cyrillic character stays as it is ("CRC", "BUS", "loop2P-T2"), and so does
// one whose letters all have look-alikes: "HOPMA" cannot be told from Latin,
// and neither can the "A" of "Зона A". The text table keeps the panel's own
// spelling, byte for byte.
std::u16string readerSpelling(std::u16string text);

// Whether a character is of the Cyrillic script (U+0400 to U+04FF).
constexpr bool isCyrillic(char16_t character)
{
    return character >= 0x0400 && character <= 0x04FF;
}

} // namespace config_quorvel
