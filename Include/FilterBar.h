#pragma once

#include <archive_table/RowFilter.h>

#include <QWidget>

namespace Ui {
class FilterBar;
}

// The bar above the event table that says which events to show: a text
// that any cell must contain, emergencies only, and a date range whose ends
// start empty.
class FilterBar : public QWidget {
    Q_OBJECT

public:
    explicit FilterBar(QWidget* parent = nullptr);
    ~FilterBar() override;

    archive_table::RowFilter filter() const;

    // Shows the bar and puts the cursor into its text field, text selected.
    void open();
    // Empties every field, the dates included.
    void clear();

signals:
    // Any of the bar's fields changed.
    void filterChanged();

private:
    Ui::FilterBar* ui;
};
