#pragma once

#include <string>

namespace config_quorvel {

// Decimal digits as wide text, without sign or leading zeros.
inline std::u16string decimal(unsigned value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

} // namespace config_quorvel
