#pragma once

#include <QObject>

class DeviceOverview;
class EventsView;
class FilterBar;
class StatusNotes;
class TimelineStrip;

namespace archive_table {
class PanelTime;
struct PlaceChoice;
}

// Keeps the table, its filter bar, the timeline, the device overview and
// the status bar's counts in step. The strip and the overview show the rows
// shown and choose rows through the filter bar, so that the bar shows every
// choice and its reset undoes them all.
class GlanceCoordinator : public QObject {
    Q_OBJECT

public:
    GlanceCoordinator(EventsView& view, FilterBar& filterBar, TimelineStrip& timeline, DeviceOverview& overview,
                      StatusNotes& notes, QObject* parent);

    void openFilter();
    // The filter's fields stay as they are for the next Ctrl+F; hidden, it
    // hides no rows.
    void hideFilter();
    // Other data, another filter: an old text or "Только новые" would hide
    // rows of data it was never meant for.
    void clearFilter();
    // How many events the filter shows, of how many.
    void showCount();

private:
    void applyFilter();
    void showGlance();
    void filterTimes(const archive_table::PanelTime& from, const archive_table::PanelTime& to);
    void filterPlace(const archive_table::PlaceChoice& place);

    EventsView& view;
    FilterBar& filterBar;
    TimelineStrip& timeline;
    DeviceOverview& overview;
    StatusNotes& notes;
};
