#pragma once

#include <archive_table/TextExport.h>

#include <vector>

namespace site_statistics {

// A statistic as the texts of its table: what the reader writes as a text
// table or CSV, and what a window shows, copies and exports.
struct StatisticsTable {
    archive_table::CellTexts headers;
    std::vector<archive_table::CellTexts> rows;
};

} // namespace site_statistics
