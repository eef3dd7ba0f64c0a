#pragma once

#include <archive_table/ArchiveEvent.h>
#include <archive_table/EventColumns.h>

#include <QStringList>

// A table row from the texts of its first cells; the other cells stay empty.
inline archive_table::RowTexts row(const QStringList& cells)
{
    archive_table::RowTexts texts;
    for (int column = 0; column < archive_table::columnCount; ++column)
        texts[column] = cells.value(column);
    return texts;
}

// The event whose row shows those texts: "+" for an emergency, the time as
// "yyyy/MM/dd hh:mm:ss", the numbers, the event and source texts.
inline archive_table::ArchiveEvent eventOf(const QStringList& cells)
{
    const archive_table::RowTexts texts = row(cells);
    archive_table::ArchiveEvent event;
    event.emergency = texts[archive_table::emergencyColumn] == QLatin1String("+");
    QString digits;
    for (QChar c : texts[archive_table::dateTimeColumn])
        if (c.isDigit())
            digits += c;
    event.time = archive_table::PanelTime::fromDigits(digits.toLongLong());
    event.section = std::uint8_t(texts[archive_table::sectionColumn].toInt());
    event.address = std::uint8_t(texts[archive_table::addressColumn].toInt());
    event.loop = std::uint8_t(texts[archive_table::loopColumn].toInt());
    event.eventText = texts[archive_table::eventColumn];
    event.sourceText = texts[archive_table::objectColumn];
    return event;
}
