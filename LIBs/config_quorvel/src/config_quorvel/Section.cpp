#include <config_quorvel/Section.h>

#include <config_quorvel/WideText.h>

namespace config_quorvel {

namespace {

bool isSectionNumber(int number)
{
    return number >= 1 && number <= 24;
}

} // namespace

std::u16string Section::defaultSectionName(int number)
{
    if (!isSectionNumber(number))
        return {};
    return u"Секционный пульт " + decimal(static_cast<unsigned>(number));
}

std::u16string Section::defaultDublerName(int number)
{
    if (!isSectionNumber(number))
        return {};
    // Latin y and p among the Cyrillic letters, as the panel spells it.
    return u"Пyльт-дyблёp " + decimal(static_cast<unsigned>(number));
}

} // namespace config_quorvel
