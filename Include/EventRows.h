#pragma once

#include <EventColumns.h>

#include <QString>

#include <vector>

namespace config_quorvel {
class Event;
}

namespace viewer_core {

// The texts of the seven cells that the table shows for one event: "+" for
// an emergency, the date and time, the section, address and loop numbers
// (empty when 0), the event text and the object text.
RowTexts eventRowTexts(const config_quorvel::Event& event);

// Whether the display text a sorts before b in a table sort: the comparison
// a table item uses for texts (locale-aware).
bool displayTextLess(const QString& a, const QString& b);

// The rows in the order the window shows them right after a read: each event
// inserted at the top in list order, then a stable sort by the date-and-time
// column, latest first (rows with equal texts stay in reverse list order;
// an empty date goes to the bottom).
std::vector<RowTexts> rowsAsShownAfterRead(const std::vector<config_quorvel::Event>& events);

} // namespace viewer_core
