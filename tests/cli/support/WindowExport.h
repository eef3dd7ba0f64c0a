#pragma once

#include <panel_sim/PanelMemory.h>

#include <QByteArray>
#include <QStringList>

// What the viewer's window saves for a panel: the window reads the panel on
// the test double's line through its own read action (the connect dialog
// confirmed as it opens) and writes the file through its save action, and
// the CSV file through its CSV export.
struct WindowExport {
    QByteArray text;
    QByteArray csv;
    QStringList errors; // the error boxes the window showed
};

WindowExport windowExport(const panel_sim::PanelMemory& memory);
