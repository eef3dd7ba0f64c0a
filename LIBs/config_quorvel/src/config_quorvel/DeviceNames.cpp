#include <config_quorvel/DeviceNames.h>

#include <config_quorvel/WideText.h>

namespace config_quorvel {

std::u16string DeviceNames::defaultDeviceName(int address, int section)
{
    if (address < 1 || address > 127)
        return {};
    // Display spelling: Latin A, p, e, c.
    std::u16string text = u"Aдpec ";
    if (section >= 1 && section <= 24)
        text += decimal(static_cast<unsigned>(section)) + u'.';
    return text + decimal(static_cast<unsigned>(address));
}

std::u16string DeviceNames::defaultOutsName(int address, int section)
{
    return defaultDeviceName(address, section) + u" Bыxoды";
}

std::u16string DeviceNames::defaultLoop1Name(int address, int section)
{
    return defaultDeviceName(address, section) + u" Шлeйф 1";
}

std::u16string DeviceNames::defaultLoop2Name(int address, int section)
{
    return defaultDeviceName(address, section) + u" Шлeйф 2";
}

std::u16string DeviceNames::defaultLine3Name(int address, int section)
{
    return defaultDeviceName(address, section) + u" Л.c. 3";
}

std::u16string DeviceNames::defaultLine4Name(int address, int section)
{
    return defaultDeviceName(address, section) + u" Л.c. 4";
}

} // namespace config_quorvel
