#include <archive_table/DeviceDirectory.h>

#include <config_quorvel/Configuration.h>
#include <config_quorvel/DeviceNames.h>

namespace archive_table {

namespace {

QString wide(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

} // namespace

DeviceDirectory::DeviceDirectory(const config_quorvel::Configuration& configuration)
    : sections(configuration.pultType), configured(true)
{
    for (const auto& [number, section] : configuration.sections) {
        if (sections)
            groupNames[number] =
                wide(section.name.empty() ? config_quorvel::Section::defaultSectionName(number) : section.name);
        for (const auto& [address, device] : section.devices) {
            const Place place{number, address};
            Entry entry;
            entry.group = sections ? number : device.zone;
            entry.name = device.names && !device.names->deviceName.empty()
                ? wide(device.names->deviceName)
                : wide(config_quorvel::DeviceNames::defaultDeviceName(address, number));
            entries[place] = entry;
        }
    }
}

QString DeviceDirectory::deviceName(const Place& place) const
{
    const auto found = entries.find(place);
    if (found != entries.end())
        return found->second.name;
    return wide(config_quorvel::DeviceNames::defaultDeviceName(place.address, place.section));
}

int DeviceDirectory::groupOf(const Place& place) const
{
    const auto found = entries.find(place);
    if (found != entries.end())
        return found->second.group;
    // A device the configuration does not know: its section, if any.
    return sections || !configured ? place.section : 0;
}

QString DeviceDirectory::groupName(int group) const
{
    const auto found = groupNames.find(group);
    if (found != groupNames.end())
        return found->second;
    if (sections || !configured)
        return group != 0 ? wide(config_quorvel::Section::defaultSectionName(group)) : QString();
    return QStringLiteral("Зона %1").arg(group);
}

std::vector<Place> DeviceDirectory::devices() const
{
    std::vector<Place> places;
    for (const auto& [place, entry] : entries)
        places.push_back(place);
    return places;
}

} // namespace archive_table
