#pragma once

#include <archive_table/EventColumns.h>

#include <QDate>
#include <QSet>
#include <QString>

#include <cstdint>
#include <vector>

namespace config_quorvel {
class Event;
}

namespace archive_table {

// The time of an event as the panel's clock wrote it into the record. The
// clock can write no time at all, and after a power cut values no calendar
// has (month 0, the 31st of a short month, hour 24); such a time is kept as
// written, shown as written and sorted where its digits put it.
class PanelTime {
public:
    enum class Kind : std::uint8_t {
        None,       // the record carries no time
        Calendar,   // a date and time that exist
        Impossible, // fields no calendar has
    };

    PanelTime() = default;
    // The record's four time bytes, big-endian: 6 bits of years since 2010,
    // then 4 of month, 5 of day, 5 of hour, 6 of minute, 6 of second. 0 is
    // no time.
    static PanelTime fromRecord(std::uint32_t packed);
    // The number YYYYMMDDhhmmss, as the store keeps it; 0 is no time. A
    // number the panel cannot write gives no time.
    static PanelTime fromDigits(std::int64_t digits);
    // A calendar time (a test's, a filter's end); no time outside the years
    // the panel counts.
    static PanelTime fromCalendar(const QDate& date, int hour = 0, int minute = 0, int second = 0);
    // The latest value the record holds within the day, or within one hour
    // of it: the fields below at their highest (hour 31, minute and second
    // 63). Every time whose digits begin with the day's, or the hour's, lies
    // at or before it, impossible ones included; a range that ends there
    // keeps them, as the day's or hour's digits say they belong to it.
    static PanelTime lastOfDay(const QDate& date);
    static PanelTime lastOfHour(const QDate& date, int hour);

    Kind kind() const;
    bool isNone() const { return packed == 0; }
    bool isCalendar() const { return kind() == Kind::Calendar; }

    int year() const { return isNone() ? 0 : int(packed >> 26) + 2010; }
    int month() const { return isNone() ? 0 : int(packed >> 22) & 0x0F; }
    int day() const { return isNone() ? 0 : int(packed >> 17) & 0x1F; }
    int hour() const { return isNone() ? 0 : int(packed >> 12) & 0x1F; }
    int minute() const { return isNone() ? 0 : int(packed >> 6) & 0x3F; }
    int second() const { return isNone() ? 0 : int(packed) & 0x3F; }

    // The date, for a calendar time only; invalid otherwise.
    QDate date() const;
    // YYYYMMDDhhmmss, 0 for no time: orders as the time's text does.
    std::int64_t digits() const;
    // "YYYY/MM/DD hh:mm:ss", empty for no time: the table's text.
    QString text() const;
    // The same 19 code units of a time into `text`, without allocating: a
    // filter looks into a million of them.
    static constexpr int textLength = 19;
    void writeText(char16_t* text) const;
    std::uint32_t recordValue() const { return packed; }

    // By the digits: no time first, impossible times where they fall.
    bool operator<(const PanelTime& other) const { return packed < other.packed; }
    bool operator==(const PanelTime& other) const { return packed == other.packed; }
    bool operator!=(const PanelTime& other) const { return packed != other.packed; }

private:
    explicit PanelTime(std::uint32_t value) : packed(value) {}
    // The record's value orders exactly as the digits do: each field sits
    // above the next and fits its bits.
    std::uint32_t packed = 0;
};

// One event of the archive, from the decoder to every table, count, export
// and store above it: what the record says, typed, and the two texts the
// panel's configuration gave it when it was read (a history keeps the
// texts of the time, also after the panel's devices are renamed).
struct ArchiveEvent {
    PanelTime time;
    bool emergency = false;
    std::uint8_t eventClass = 0; // 0–7
    std::uint8_t code = 0;
    std::uint8_t section = 0;    // 0: none
    std::uint8_t address = 0;    // the device's address; 0: the panel or a section itself
    std::uint8_t loop = 0;       // loop or line 1–4; 0: none
    QString eventText;           // what happened
    QString sourceText;          // what it concerns: a device, its loop, a section, a command
};

// The event a decoded record is, with the texts its configuration gives.
ArchiveEvent archiveEvent(const config_quorvel::Event& event);
// The same with texts kept from an earlier decoding (a history's).
ArchiveEvent archiveEvent(const config_quorvel::Event& event, QString eventText, QString sourceText);
// The events of a decoded archive, in list order. Equal texts share their
// storage: an archive repeats a few hundred texts thousands of times.
std::vector<ArchiveEvent> archiveEvents(const std::vector<config_quorvel::Event>& events);

// The text of one cell of the table for the event: "+" for an emergency,
// the time, the section, address and loop numbers (empty when 0), the event
// text and the source text. Every table, export and copy takes its texts
// from here.
QString cellText(const ArchiveEvent& event, int column);
RowTexts rowTexts(const ArchiveEvent& event);

// Texts in the reader's spelling (config_quorvel::readerSpelling), as the
// CSV, the copied rows and the report write them; the table and the text
// export keep the panel's.
QString readerSpelling(const QString& text);
RowTexts readerSpelling(RowTexts texts);

// Shares the storage of equal texts among many events.
class TextPool {
public:
    const QString& shared(const QString& text);

private:
    QSet<QString> texts;
};

} // namespace archive_table
