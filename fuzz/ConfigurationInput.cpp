#include "ConfigurationInput.h"

#include "ByteReader.h"

#include <algorithm>
#include <memory>

namespace fuzz {

using config_quorvel::Command;
using config_quorvel::Configuration;
using config_quorvel::Device;
using config_quorvel::DeviceNames;
using config_quorvel::EventTable;
using config_quorvel::Section;

namespace {

constexpr std::size_t textLimit = 24;
constexpr std::size_t sectionLimit = 9;
constexpr std::size_t deviceLimit = 9;
constexpr std::size_t commandLimit = 72;
constexpr std::size_t tableLimit = 18;
constexpr std::size_t changeLimit = 25;
constexpr std::uint8_t flipEmergency = 0x80;

int signedByte(ByteReader& in)
{
    return static_cast<std::int8_t>(in.byte());
}

// Name text k of a device, in record order.
template <typename Names>
auto& nameText(Names& names, int k)
{
    decltype(&names.deviceName) texts[] = {&names.deviceName, &names.outsName,  &names.loop1Name,
                                           &names.loop2Name,  &names.line3Name, &names.line4Name};
    return *texts[k];
}

template <typename Map>
std::size_t countUpTo(const Map& items, std::size_t limit)
{
    return std::min(items.size(), limit - 1);
}

} // namespace

Configuration readConfiguration(ByteReader& in)
{
    Configuration c;
    const std::uint8_t flags = in.byte();
    c.pultType = flags & 1;
    if (flags & 2)
        c.sections.erase(0);

    const std::size_t sections = in.byte() % sectionLimit;
    for (std::size_t s = 0; s < sections; ++s) {
        Section section;
        section.address = signedByte(in);
        section.name = in.text(textLimit);
        section.dublerName = in.text(textLimit);
        const std::size_t devices = in.byte() % deviceLimit;
        for (std::size_t d = 0; d < devices; ++d) {
            Device device;
            device.address = signedByte(in);
            if (in.byte() & 1) {
                device.names = std::make_shared<DeviceNames>();
                device.names->eventTable = signedByte(in);
                for (int k = 0; k < 6; ++k)
                    nameText(*device.names, k) = in.text(textLimit);
            }
            section.devices[device.address] = device;
        }
        c.sections[section.address] = section;
    }

    const std::size_t commands = in.byte() % commandLimit;
    for (std::size_t k = 0; k < commands; ++k) {
        Command command(c.pultType);
        command.name = in.text(textLimit);
        c.commands.push_back(command);
    }

    const std::size_t tables = in.byte() % tableLimit;
    c.eventTables.clear();
    for (std::size_t t = 0; t < tables; ++t) {
        EventTable table;
        table.name = in.text(textLimit);
        const std::size_t changes = in.byte() % changeLimit;
        for (std::size_t k = 0; k < changes; ++k) {
            const std::uint8_t state = in.byte();
            const int index = (state & 0x7F) % EventTable::stateCount;
            if (state & flipEmergency)
                table.emergency[index] = !table.emergency[index];
            table.text(index) = in.text(textLimit);
        }
        c.eventTables.push_back(table);
    }
    return c;
}

void writeConfiguration(ByteWriter& out, const Configuration& c)
{
    out.byte(static_cast<std::uint8_t>((c.pultType ? 1 : 0) | (c.sections.count(0) ? 0 : 2)));

    const std::size_t sections = countUpTo(c.sections, sectionLimit);
    out.byte(static_cast<std::uint8_t>(sections));
    auto section = c.sections.begin();
    for (std::size_t s = 0; s < sections; ++s, ++section) {
        out.byte(static_cast<std::uint8_t>(section->first));
        out.text(section->second.name, textLimit);
        out.text(section->second.dublerName, textLimit);
        const auto& devices = section->second.devices;
        const std::size_t count = countUpTo(devices, deviceLimit);
        out.byte(static_cast<std::uint8_t>(count));
        auto device = devices.begin();
        for (std::size_t d = 0; d < count; ++d, ++device) {
            out.byte(static_cast<std::uint8_t>(device->first));
            const auto& names = device->second.names;
            out.byte(names ? 1 : 0);
            if (!names)
                continue;
            out.byte(static_cast<std::uint8_t>(names->eventTable));
            for (int k = 0; k < 6; ++k)
                out.text(nameText(*names, k), textLimit);
        }
    }

    const std::size_t commands = countUpTo(c.commands, commandLimit);
    out.byte(static_cast<std::uint8_t>(commands));
    for (std::size_t k = 0; k < commands; ++k)
        out.text(c.commands[k].name, textLimit);

    const std::size_t tables = countUpTo(c.eventTables, tableLimit);
    out.byte(static_cast<std::uint8_t>(tables));
    const EventTable defaults;
    for (std::size_t t = 0; t < tables; ++t) {
        const EventTable& table = c.eventTables[t];
        out.text(table.name, textLimit);
        std::vector<int> changed;
        for (int k = 0; k < EventTable::stateCount; ++k)
            if (table.text(k) != defaults.text(k) || table.emergency[k] != defaults.emergency[k])
                changed.push_back(k);
        changed.resize(std::min(changed.size(), changeLimit - 1));
        out.byte(static_cast<std::uint8_t>(changed.size()));
        for (int k : changed) {
            const bool flip = table.emergency[k] != defaults.emergency[k];
            out.byte(static_cast<std::uint8_t>(k | (flip ? flipEmergency : 0)));
            out.text(table.text(k), textLimit);
        }
    }
}

} // namespace fuzz
