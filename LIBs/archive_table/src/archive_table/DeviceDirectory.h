#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventColumns.h>

#include <QString>

#include <map>
#include <vector>

namespace config_quorvel {
class Configuration;
}

namespace archive_table {

// Where an event happened: its section and address numbers, 0 for none.
struct Place {
    int section = 0;
    int address = 0;

    bool operator<(const Place& other) const
    {
        return section != other.section ? section < other.section : address < other.address;
    }
    bool operator==(const Place& other) const { return section == other.section && address == other.address; }
};

inline Place placeOf(const ArchiveEvent& event)
{
    return {event.section, event.address};
}

// The panel's devices as a person looks them up: grouped by section on a
// panel with sections, by zone on one without, each with its name from the
// configuration (the panel's default name where it has none).
class DeviceDirectory {
public:
    // No configuration known: every device under its default name, grouped
    // by the section its rows name.
    DeviceDirectory() = default;
    explicit DeviceDirectory(const config_quorvel::Configuration& configuration);

    bool hasSections() const { return sections; }
    // The device's name as the panel shows it.
    QString deviceName(const Place& place) const;
    // The section or zone the device belongs to (0 when none is known).
    int groupOf(const Place& place) const;
    // "Главный корпус", or the default section name, or "Зона 3".
    QString groupName(int group) const;
    // Every device the configuration names, in section and address order.
    std::vector<Place> devices() const;

private:
    struct Entry {
        QString name;
        int group = 0;
    };
    bool sections = false;
    bool configured = false;
    std::map<Place, Entry> entries;
    std::map<int, QString> groupNames;
};

} // namespace archive_table
