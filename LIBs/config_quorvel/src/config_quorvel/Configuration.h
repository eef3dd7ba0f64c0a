#pragma once

#include <config_quorvel/Command.h>
#include <config_quorvel/EventTable.h>
#include <config_quorvel/Section.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace config_quorvel {

// One panel's settings, sections with their devices, menu commands and
// event tables, as read from the panel. Archive events take their names and
// texts from it.
class Configuration {
public:
    Configuration();
    Configuration(const Configuration&) = default;
    Configuration& operator=(const Configuration&) = default;
    virtual ~Configuration() = default;

    // Back to the state of a new configuration.
    void reset();

    // Table `index`, or table 0 when the list has no such table, or the
    // built-in table when the list is empty.
    const EventTable& eventTable(unsigned index) const;

    // Drops the tables that no device uses and that hold only the built-in
    // texts, renumbers the devices' table references to match, and titles
    // every remaining table but table 0. Returns true when a table went.
    bool rebuildEventTables();

    std::string firmwareDate;
    int settingsRevision = 0;
    std::string firmwareVersion;
    int backlightLevel = 1;
    int backlightTime = 30;
    int messageTime = 32;
    int menuTime = 60;
    int clockSyncHour = 2;           // 0..23, or 255 for none
    std::uint8_t zummerConfig = 255;
    bool hasPassword = false;
    std::string password;
    bool pultType = false;           // true: central panel with sections 1..24
    bool voltage = false;            // true: 24 V, false: 12 V
    bool individualReset = true;
    int pultAddress = 0;
    std::map<int, Section> sections;
    std::vector<Command> commands;
    std::vector<EventTable> eventTables;

private:
    bool isEventTableUsed(unsigned index) const;
    void removeEventTable(int index);
    static std::u16string defaultEventTableName(int index);
};

} // namespace config_quorvel
