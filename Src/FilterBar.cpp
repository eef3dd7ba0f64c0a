#include <FilterBar.h>

#include "ui_FilterBar.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

namespace {

// The panel's clock counts years from 2010 to 2073. A date edit cannot be
// empty, so the day before the first year stands for "no date" and shows
// the edit's special text.
const QDate noDate(2009, 12, 31);
const QDate lastDate(2073, 12, 31);

QDate chosenDate(const QDateEdit& edit)
{
    return edit.date() == noDate ? QDate() : edit.date();
}

// The day a range's end lies in, also when it is a day's last value.
QDate dayOf(const archive_table::PanelTime& time)
{
    return time.isNone() ? noDate : QDate(time.year(), time.month(), time.day());
}

} // namespace

FilterBar::FilterBar(QWidget* parent) : QWidget(parent), ui(new Ui::FilterBar)
{
    ui->setupUi(this);
    for (QDateEdit* edit : {ui->dateFrom, ui->dateTo}) {
        edit->setDateRange(noDate, lastDate);
        edit->setDate(noDate);
        connect(edit, &QDateEdit::dateChanged, this, [this] {
            timesChosen = false;
            emit filterChanged();
        });
    }
    connect(ui->filterText, &QLineEdit::textChanged, this, &FilterBar::filterChanged);
    connect(ui->emergencyOnly, &QCheckBox::toggled, this, &FilterBar::filterChanged);
    connect(ui->newOnly, &QCheckBox::toggled, this, &FilterBar::filterChanged);
    connect(ui->clearFilter, &QToolButton::clicked, this, &FilterBar::clear);
    connect(ui->clearPlace, &QToolButton::clicked, this, [this] {
        clearPlace();
        emit placeCleared();
        emit filterChanged();
    });
    clearPlace();
}

FilterBar::~FilterBar()
{
    delete ui;
}

archive_table::RowFilter FilterBar::filter() const
{
    archive_table::RowFilter filter;
    filter.setText(ui->filterText->text());
    filter.setEmergencyOnly(ui->emergencyOnly->isChecked());
    filter.setNewOnly(ui->newOnly->isChecked());
    if (timesChosen)
        filter.setTimeRange(chosenFrom, chosenTo);
    else
        filter.setDateRange(chosenDate(*ui->dateFrom), chosenDate(*ui->dateTo));
    filter.setPlace(place);
    return filter;
}

void FilterBar::setTimeRange(const archive_table::PanelTime& from, const archive_table::PanelTime& to)
{
    {
        const QSignalBlocker fromBlocker(ui->dateFrom);
        const QSignalBlocker toBlocker(ui->dateTo);
        ui->dateFrom->setDate(dayOf(from));
        ui->dateTo->setDate(dayOf(to));
    }
    timesChosen = true;
    chosenFrom = from;
    chosenTo = to;
    emit filterChanged();
}

void FilterBar::setPlace(const archive_table::PlaceChoice& choice)
{
    place = choice;
    ui->placeField->setText(choice.label);
    ui->placeField->setCursorPosition(0);
    setPlaceShown(true);
    emit filterChanged();
}

void FilterBar::clearPlace()
{
    place = archive_table::PlaceChoice();
    ui->placeField->clear();
    // Shown only while chosen: the bar is wide enough without it.
    setPlaceShown(false);
}

void FilterBar::setPlaceShown(bool shown)
{
    for (QWidget* widget : std::initializer_list<QWidget*>{ui->placeLabel, ui->placeField, ui->clearPlace})
        widget->setVisible(shown);
}

void FilterBar::clear()
{
    {
        // One change for the table, not four.
        const QSignalBlocker blocker(this);
        ui->filterText->clear();
        ui->emergencyOnly->setChecked(false);
        ui->newOnly->setChecked(false);
        ui->dateFrom->setDate(noDate);
        ui->dateTo->setDate(noDate);
        timesChosen = false;
        clearPlace();
    }
    emit placeCleared();
    emit filterChanged();
}

void FilterBar::open()
{
    show();
    ui->filterText->setFocus(Qt::ShortcutFocusReason);
    ui->filterText->selectAll();
}
