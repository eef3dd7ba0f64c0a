#include <config_quorvel/Configuration.h>

#include <config_quorvel/WideText.h>

namespace config_quorvel {

namespace {

bool sectionUsesTable(const Section& section, int index)
{
    for (const auto& entry : section.devices) {
        const auto& names = entry.second.names;
        if (names && names->eventTable == index)
            return true;
    }
    return false;
}

// The table reference of a device after table `removed` has gone.
void renumber(Section& section, int removed)
{
    for (auto& entry : section.devices) {
        auto& names = entry.second.names;
        if (!names)
            continue;
        if (names->eventTable == removed)
            names->eventTable = 0;
        else if (names->eventTable > removed)
            --names->eventTable;
    }
}

} // namespace

Configuration::Configuration()
{
    sections[0];
    eventTables.push_back(EventTable::defaults());
}

void Configuration::reset()
{
    *this = Configuration();
}

const EventTable& Configuration::eventTable(unsigned index) const
{
    if (index < eventTables.size())
        return eventTables[index];
    if (!eventTables.empty())
        return eventTables.front();
    return EventTable::defaults();
}

bool Configuration::isEventTableUsed(unsigned index) const
{
    if (index == 0)
        return true;
    if (index > 15)
        return false;
    const int table = static_cast<int>(index);
    if (pultType) {
        for (const auto& entry : sections)
            if (sectionUsesTable(entry.second, table))
                return true;
        return false;
    }
    return sectionUsesTable(sections.at(0), table);
}

void Configuration::removeEventTable(int index)
{
    if (index <= 0 || index >= static_cast<int>(eventTables.size()))
        return;
    eventTables.erase(eventTables.begin() + index);
    if (pultType) {
        for (auto& entry : sections)
            renumber(entry.second, index);
    } else {
        renumber(sections[0], index);
    }
}

std::u16string Configuration::defaultEventTableName(int index)
{
    if (index <= 0)
        return {};
    // Latin T and a among the Cyrillic letters, as the panel spells it.
    return u"Taблицa " + decimal(static_cast<unsigned>(index));
}

bool Configuration::rebuildEventTables()
{
    if (!eventTables.empty())
        eventTables.front().name.clear();

    bool changed = false;
    std::size_t i = 1;
    while (i < eventTables.size()) {
        const bool used = isEventTableUsed(static_cast<unsigned>(i));
        EventTable untitled = eventTables[i];
        untitled.name.clear();
        if (!used && untitled == EventTable::defaults()) {
            removeEventTable(static_cast<int>(i));
            changed = true;
            continue;
        }
        if (eventTables[i].name.empty())
            eventTables[i].name = defaultEventTableName(static_cast<int>(i));
        ++i;
    }

    return changed;
}

} // namespace config_quorvel
