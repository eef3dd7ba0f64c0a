#pragma once

#include <archive_table/EventColumns.h>

#include <QColor>

// The pink that marks emergency events wherever the window shows them: the
// table's rows and the timeline's bars (the report takes the same).
inline QColor emergencyColour()
{
    return QColor::fromRgb(archive_table::emergencyBackgroundRgb);
}

// The bars of events that are nothing in particular: grey, so that the
// coloured ones stand out against them.
inline QColor otherEventsColour()
{
    return QColor(128, 138, 148);
}

// Device faults in the statistics' chart: amber, apart from the emergencies'
// pink beside it.
inline QColor deviceFaultColour()
{
    return QColor(230, 160, 40);
}
