#include <EventColumns.h>

namespace viewer_core {

RowTexts columnHeaders()
{
    RowTexts headers;
    for (int column = 0; column < columnCount; ++column)
        headers[column] = QString::fromUtf8(columnHeaderSources[column]);
    return headers;
}

} // namespace viewer_core
