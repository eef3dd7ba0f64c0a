#pragma once

#include <QColor>

// The pink that marks emergency events wherever the window shows them: the
// table's rows and the timeline's bars.
inline QColor emergencyColour()
{
    return QColor(255, 164, 164);
}
