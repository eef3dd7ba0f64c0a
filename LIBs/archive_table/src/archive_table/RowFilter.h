#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/DeviceDirectory.h>
#include <archive_table/EventColumns.h>

#include <QDate>
#include <QString>

#include <bitset>
#include <vector>

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

// Which events of the table to show. Each part compares what the event is
// (its time, emergency, place, newness); the search text is looked for in
// the texts the table shows for it, so that it keeps the rows a person sees
// and reads.
class RowFilter {
public:
    // Keeps events where any cell contains the text as a reader sees it (see
    // searchFold): "склад" finds the panel's "Cклaд"; the text is taken as
    // typed (no patterns), without the spaces around it. Empty keeps all.
    void setText(const QString& text);
    // Keeps only emergencies.
    void setEmergencyOnly(bool only) { emergencyOnly = only; }
    // Keeps events whose time lies in the range, both ends included,
    // compared by their digits, so that times no calendar has (month 0, the
    // 31st of a short month, hour 24) fall where their digits put them. A
    // time of none leaves that end open; an event without a time fails any
    // range.
    void setTimeRange(const PanelTime& from, const PanelTime& to);
    // The range from the start of one day to the end of another (see
    // PanelTime::lastOfDay); a null date leaves that end open.
    void setDateRange(const QDate& from, const QDate& to);
    // Keeps the events of one place.
    void setPlace(const PlaceChoice& choice) { place = choice; }
    // Keeps only events that the site's history lacked before this read.
    void setNewOnly(bool only) { newOnly = only; }

    const QString& text() const { return searchText; }
    bool isEmergencyOnly() const { return emergencyOnly; }
    bool isNewOnly() const { return newOnly; }
    const PlaceChoice& placeChoice() const { return place; }
    const PanelTime& timeFrom() const { return from; }
    const PanelTime& timeTo() const { return to; }

    // Whether the filter keeps every event.
    bool isEmpty() const;
    // isNew: whether the event is new in the site's history.
    bool matches(const ArchiveEvent& event, bool isNew = false) const;

    // The parts of matches, for a table that folds each of its distinct
    // texts once instead of once per event: every part but the search text;
    // whether a cell of marks and numbers (emergency, time, section,
    // address, loop) holds the search text; whether a text with its fold
    // holds it.
    bool keepsFields(const ArchiveEvent& event, bool isNew) const;
    bool numberCellsHold(const ArchiveEvent& event) const;
    bool textHolds(const QString& text, const QString& folded) const;

    // The filter in words, for a report: "все события", or its parts such as
    // "текст «склад», только экстренные, с 18.01.2024 по 20.01.2024".
    QString description() const;

private:
    QString searchText;
    QString foldedText;
    // Which of the numbers the section, address and loop cells show hold
    // the search text (0 shows no text); whether "+" does, and whether a
    // time's text could (the text has nothing but its digits and marks).
    std::bitset<256> numbersHolding;
    bool plusHolds = false;
    bool timeMayHold = false;
    bool emergencyOnly = false;
    bool newOnly = false;
    PanelTime from;
    PanelTime to;
    PlaceChoice place;
};

// A text as a reader of the panel's display sees it, for comparing only:
// each Latin look-alike taken as its Cyrillic letter, then lower case, and
// "ё" as "е". Two texts that read alike fold alike.
QString searchFold(const QString& text);

} // namespace archive_table
