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

// The statement that adds `rows` events to `table`.
QString insertEvents(const QString& table, std::size_t rows);
// Binds one event's values from placeholder `at` on.
void bindEvent(QSqlQuery& query, int& at, const StoredEvent& event);

// The columns a site's history is read with, and the event of such a row
// (its texts left to the caller).
QString shownColumns();
archive_table::ArchiveEvent shownEvent(const QSqlQuery& row);
// Where in shownColumns() the texts' ids, the archive address and the
// first read stand.
enum ShownColumn { shownEventText = 7, shownSourceText, shownAddress, shownFirstReadMs, shownFirstReadId };

} // namespace site_history
