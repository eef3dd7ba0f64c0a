#pragma once

class QPagedPaintDevice;

namespace archive_report {

struct ReportContent;

// The page a report starts from: A4 landscape with its margins. A print
// dialog may change it afterwards; the report follows the device's layout.
void setReportPage(QPagedPaintDevice& device);

// Paints the report on the device in the device's page layout, first page
// onward: the title, the header block and the summary, the table with its
// header on every page, the signature lines, a footer on every page.
// Returns the number of pages painted, or 0 when the device cannot be
// painted on. The pages are laid out from the font's metrics beforehand, so
// that the footer knows their number and a full archive stays fast.
int paintReport(QPagedPaintDevice& device, const ReportContent& content);

} // namespace archive_report
