#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventColumns.h>

#include <QString>

#include <cstddef>
#include <vector>

namespace config_quorvel {
class Event;
}

namespace archive_table {

// The texts of the seven cells that the table shows for a decoded event
// (see rowTexts).
RowTexts eventRowTexts(const config_quorvel::Event& event);
// The rows of many events.
std::vector<RowTexts> rowTexts(const std::vector<ArchiveEvent>& events);

// Whether the display text a sorts before b in a table sort: the comparison
// a table item uses for texts (locale-aware).
bool displayTextLess(const QString& a, const QString& b);

// The columns of numbers (section, address, loop), which sort by value.
bool isNumberColumn(int column);

// The order the window shows events in right after a read, as positions in
// the given events (which are in list order): each event inserted at the
// top in list order, then a stable sort by time, latest first. Events of
// equal times stay in reverse list order; those without a time go to the
// bottom.
std::vector<std::size_t> orderAsShownAfterRead(const std::vector<ArchiveEvent>& events);
std::vector<ArchiveEvent> eventsAsShownAfterRead(std::vector<ArchiveEvent> listed);

// The events' rows in that order.
std::vector<RowTexts> rowsAsShownAfterRead(const std::vector<config_quorvel::Event>& events);

} // namespace archive_table
