#pragma once

class QIODevice;

namespace archive_report {

struct ReportContent;

// Writes the report as a PDF to the open device, on the report's own page
// (setReportPage), with the fonts it uses embedded so that its texts stay
// text. False when nothing could be painted; whether the bytes reached the
// device is the device's to tell.
bool writePdfReport(QIODevice& device, const ReportContent& content);

} // namespace archive_report
