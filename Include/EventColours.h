#pragma once

#include <archive_table/EventColumns.h>

#include <QColor>

// The pink that marks emergency events wherever the window shows them: the
// table's rows and the timeline's bars (the report takes the same).
inline QColor emergencyColour()
{
    return QColor::fromRgb(archive_table::emergencyBackgroundRgb);
}
