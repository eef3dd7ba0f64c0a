#pragma once

#include <archive_table/DeviceDirectory.h>
#include <archive_table/EventColumns.h>

#include <QDate>
#include <QString>

namespace archive_table {

// The part of the panel whose rows to show.
struct PlaceChoice {
    enum class Kind {
        Any,       // every row
        NoAddress, // rows without a device address (commands, resets)
        Section,   // every row of one section
        Devices,   // rows of the listed devices: one device, or a zone's
    };
    Kind kind = Kind::Any;
    int section = 0;
    std::vector<Place> devices;
    QString label; // how the filter bar and the report name the choice
};

// Which rows of the event table to show, judged on the rows' display texts
// alone, so that it keeps the rows a person sees and reads.
class RowFilter {
public:
    // Keeps rows where any cell contains the text as a reader sees it (see
    // searchFold): "склад" finds the panel's "Cклaд"; the text is taken as
    // typed (no patterns). Empty keeps all.
    void setText(const QString& text);
    // Keeps only emergencies (the "+" mark).
    void setEmergencyOnly(bool only) { emergencyOnly = only; }
    // Keeps rows whose date lies in the range, both ends included; a null
    // date leaves that end open. A row without a date fails any range.
    void setDateRange(const QDate& from, const QDate& to);
    // Keeps the rows of one place.
    void setPlace(const PlaceChoice& choice) { place = choice; }
    // Keeps only events that the site's history lacked before this read.
    void setNewOnly(bool only) { newOnly = only; }

    const QString& text() const { return searchText; }
    bool isEmergencyOnly() const { return emergencyOnly; }
    bool isNewOnly() const { return newOnly; }
    const PlaceChoice& placeChoice() const { return place; }
    QDate dateFrom() const;
    QDate dateTo() const;

    // Whether the filter keeps every row.
    bool isEmpty() const;
    // isNew: whether the row's event is new in the site's history.
    bool matches(const RowTexts& row, bool isNew = false) const;

    // The filter in words, for a report: "все события", or its parts such as
    // "текст «склад», только экстренные, с 18.01.2024 по 20.01.2024".
    QString description() const;

private:
    QString searchText;
    QString foldedText;
    bool emergencyOnly = false;
    bool newOnly = false;
    // Dates as the table writes them, "yyyy/MM/dd": the date texts have
    // fixed-width zero-filled fields, so comparing texts compares dates, and
    // dates the panel wrote that no calendar has (month 0, day 31 of a short
    // month) still fall where their digits put them.
    QString fromText;
    QString toText;
    PlaceChoice place;
};

// A text as a reader of the panel's display sees it, for comparing only:
// each Latin look-alike taken as its Cyrillic letter, then lower case, and
// "ё" as "е". Two texts that read alike fold alike.
QString searchFold(const QString& text);

} // namespace archive_table
