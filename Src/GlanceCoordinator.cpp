#include <GlanceCoordinator.h>

#include <DeviceOverview.h>
#include <EventsView.h>
#include <FilterBar.h>
#include <StatusNotes.h>
#include <TimelineStrip.h>

#include <archive_table/EventCounts.h>

GlanceCoordinator::GlanceCoordinator(EventsView& view, FilterBar& filterBar, TimelineStrip& timeline,
                                     DeviceOverview& overview, StatusNotes& notes, QObject* parent)
    : QObject(parent), view(view), filterBar(filterBar), timeline(timeline), overview(overview), notes(notes)
{
    filterBar.hide();
    connect(&filterBar, &FilterBar::filterChanged, this, &GlanceCoordinator::applyFilter);
    connect(&view, &EventsView::shownRowsChanged, this, &GlanceCoordinator::showGlance);
    connect(&timeline, &TimelineStrip::timeChosen, this, &GlanceCoordinator::filterTimes);
    connect(&timeline, &TimelineStrip::datesCleared, this, [this] { filterTimes({}, {}); });
    connect(&overview, &DeviceOverview::placeChosen, this, &GlanceCoordinator::filterPlace);
    connect(&filterBar, &FilterBar::placeCleared, &overview, &DeviceOverview::clearChoice);
    showGlance();
}

void GlanceCoordinator::openFilter()
{
    filterBar.open();
    applyFilter();
}

void GlanceCoordinator::hideFilter()
{
    if (filterBar.isHidden())
        return;
    filterBar.hide();
    applyFilter();
    view.setFocus();
}

void GlanceCoordinator::clearFilter()
{
    filterBar.clear();
}

void GlanceCoordinator::applyFilter()
{
    view.setRowFilter(filterBar.isHidden() ? archive_table::RowFilter() : filterBar.filter());
    showCount();
}

void GlanceCoordinator::showCount()
{
    notes.showCounts(view.shownRowCount(), view.eventCount(), !filterBar.isHidden());
}

void GlanceCoordinator::showGlance()
{
    const archive_table::EventSpan rows = view.shownEvents();
    timeline.showEvents(rows);
    overview.showCounts(archive_table::countEvents(rows));
    notes.showUndated(timeline.timeline().unplaced());
}

void GlanceCoordinator::filterTimes(const archive_table::PanelTime& from, const archive_table::PanelTime& to)
{
    // A hidden filter bar filters nothing: it opens with the time chosen.
    if (!from.isNone() || !to.isNone())
        filterBar.show();
    filterBar.setTimeRange(from, to);
}

void GlanceCoordinator::filterPlace(const archive_table::PlaceChoice& place)
{
    filterBar.show();
    filterBar.setPlace(place);
}
