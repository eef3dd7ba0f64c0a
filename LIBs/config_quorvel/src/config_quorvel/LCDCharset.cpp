#include <config_quorvel/LCDCharset.h>

#include <array>

namespace config_quorvel {

namespace {

// Display bytes 0xA0..0xE6; 0xC8..0xDF carry no letter.
constexpr char16_t cyrillicPart[71] = {
    0x0411, 0x0413, 0x0401, 0x0416, 0x0417, 0x0418, 0x0419, 0x041B,
    0x041F, 0x0423, 0x0424, 0x0427, 0x0428, 0x042A, 0x042B, 0x042D,
    0x042E, 0x042F, 0x0431, 0x0432, 0x0433, 0x0451, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043F, 0x0442,
    0x0447, 0x0448, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
    0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E,
    0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E,
    0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E, 0x002E,
    0x0414, 0x0426, 0x0429, 0x0434, 0x0444, 0x0446, 0x0449,
};

constexpr char16_t noCharacter = u'.';

// Highest character the code page can produce, plus one.
constexpr std::size_t reverseSize = 0x0452;

std::array<std::int16_t, reverseSize> buildReverse()
{
    std::array<std::int16_t, reverseSize> reverse{};
    reverse.fill(-1);
    for (int b = 0; b < 256; ++b) {
        const char16_t c = lcdToUnicode(static_cast<std::uint8_t>(b));
        // '.' stands in for every byte without a character; only 0x2E is its code.
        if (c == noCharacter && b != 0x2E)
            continue;
        reverse[c] = static_cast<std::int16_t>(b);
    }
    return reverse;
}

} // namespace

const std::array<LookAlike, 19> lookAlikes = {{
    {u'А', u'A'}, {u'В', u'B'}, {u'Е', u'E'}, {u'К', u'K'}, {u'М', u'M'}, {u'Н', u'H'}, {u'О', u'O'},
    {u'Р', u'P'}, {u'С', u'C'}, {u'Т', u'T'}, {u'Х', u'X'}, {u'Ь', u'b'},
    {u'а', u'a'}, {u'е', u'e'}, {u'о', u'o'}, {u'р', u'p'}, {u'с', u'c'}, {u'у', u'y'}, {u'х', u'x'},
}};

std::u16string displaySpelling(std::u16string text)
{
    for (char16_t& c : text)
        for (const LookAlike& pair : lookAlikes)
            if (c == pair.cyrillic) {
                c = pair.latin;
                break;
            }
    return text;
}

char16_t readerLetter(char16_t character)
{
    // Every Latin look-alike is below 0x80: one table lookup per character.
    static const std::array<char16_t, 0x80> cyrillicOf = [] {
        std::array<char16_t, 0x80> table{};
        for (const LookAlike& pair : lookAlikes)
            table[pair.latin] = pair.cyrillic;
        return table;
    }();
    if (character < cyrillicOf.size() && cyrillicOf[character] != 0)
        return cyrillicOf[character];
    return character;
}

std::u16string readerSpelling(std::u16string text)
{
    const auto isSpace = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == u'\u00A0';
    };
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        bool cyrillic = false;
        for (; end < text.size() && !isSpace(text[end]); ++end)
            cyrillic = cyrillic || isCyrillic(text[end]);
        if (cyrillic)
            for (std::size_t i = start; i < end; ++i)
                text[i] = readerLetter(text[i]);
        start = end + 1;
    }
    return text;
}

char16_t lcdToUnicode(std::uint8_t byte)
{
    if (byte >= 0x20 && byte <= 0x7A)
        return byte;
    const std::uint8_t index = static_cast<std::uint8_t>(byte + 0x60);
    if (index <= 0x46)
        return cyrillicPart[index];
    return noCharacter;
}

bool unicodeToLcd(char16_t character, std::uint8_t& byte)
{
    static const std::array<std::int16_t, reverseSize> reverse = buildReverse();
    if (character >= reverseSize || reverse[character] < 0)
        return false;
    byte = static_cast<std::uint8_t>(reverse[character]);
    return true;
}

} // namespace config_quorvel
