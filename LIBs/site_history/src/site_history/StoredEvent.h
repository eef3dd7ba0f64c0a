#pragma once

#include <archive_table/ArchiveEvent.h>

#include <QByteArray>
#include <QSqlQuery>
#include <QString>

#include <cstdint>

namespace site_history {

// One row of the table events: an event of a site as the store keeps it.
struct StoredEvent {
    std::int64_t site = 0;
    std::int64_t address = 0; // in the archive region
    QByteArray record;        // the eight bytes
    std::int64_t firstReadId = 0;
    std::int64_t firstReadMs = 0;
    std::int64_t eventTextId = 0;
    std::int64_t sourceTextId = 0;
    // Decoded from the record.
    archive_table::ArchiveEvent fields;

    // The event of a record, decoded without its texts.
    static archive_table::ArchiveEvent decode(const QByteArray& record);
};

// The statement that adds `rows` events to `table`. With `firstRead`, all
// of them are that event's site's and were first seen by its read, written
// into the statement once instead of bound to each row: Qt binds each value
// slowly, and a read has 8192 events.
QString insertEvents(const QString& table, std::size_t rows, const StoredEvent* firstRead = nullptr);
// Binds one event's values from placeholder `at` on; `shared` as above.
void bindEvent(QSqlQuery& query, int& at, const StoredEvent& event, bool shared = false);

// A row of a site's history as it is read out. Its small fields come
// packed into one number: Qt hands each value of a row over as a QVariant,
// and a history has a million rows.
struct ShownRow {
    archive_table::ArchiveEvent event; // without its texts
    std::int64_t eventTextId = 0;
    std::int64_t sourceTextId = 0;
    std::int64_t address = 0;
    std::int64_t firstReadId = 0;
};
// The columns of such a row, and the row of a query's current result.
QString shownColumns();
ShownRow shownRow(const QSqlQuery& query);

} // namespace site_history
