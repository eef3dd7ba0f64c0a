#include <archive_table/EventColumns.h>

namespace archive_table {

RowTexts columnHeaders()
{
    RowTexts headers;
    for (int column = 0; column < columnCount; ++column)
        headers[column] = QString::fromUtf8(columnHeaderSources[column]);
    return headers;
}

} // namespace archive_table
