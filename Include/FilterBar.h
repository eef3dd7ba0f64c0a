#pragma once

#include <archive_table/RowFilter.h>

#include <QWidget>

namespace Ui {
class FilterBar;
}

// The bar above the event table that says which events to show: a text
// that any cell must contain, emergencies only, a date range whose ends
// start empty, and the device, section or zone chosen in the overview,
// shown while one is.
class FilterBar : public QWidget {
    Q_OBJECT

public:
    explicit FilterBar(QWidget* parent = nullptr);
    ~FilterBar() override;

    archive_table::RowFilter filter() const;

    // Shows the bar and puts the cursor into its text field, text selected.
    void open();
    // Empties every field, the dates and the place included.
    void clear();

    // Sets both ends of the range as one change: the date fields show its
    // days, and the filter keeps its times to the second (an hour chosen on
    // the timeline) until a date field changes. A time of none empties its
    // end.
    void setTimeRange(const archive_table::PanelTime& from, const archive_table::PanelTime& to);
    // Shows the place by its label and keeps its rows.
    void setPlace(const archive_table::PlaceChoice& place);

signals:
    // Any of the bar's fields changed.
    void filterChanged();
    // The place went back to every device.
    void placeCleared();

private:
    // Forgets the place; the caller tells of the change.
    void clearPlace();
    void setPlaceShown(bool shown);

    Ui::FilterBar* ui;
    archive_table::PlaceChoice place;
    // The range last set, while the date fields show its days.
    bool timesChosen = false;
    archive_table::PanelTime chosenFrom;
    archive_table::PanelTime chosenTo;
};
