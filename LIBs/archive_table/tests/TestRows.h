#pragma once

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
