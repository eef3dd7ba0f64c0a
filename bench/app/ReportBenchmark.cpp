// A full archive (8192 events) as the report's PDF, against a bare
// QPdfWriter and QPainter loop drawing the same rows' cells with word wrap,
// 25 rows to an A4 page. Both write into memory; the counters give the
// pages and the file's size. Run (offscreen by itself):
//   bench_report --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include <ViewerTestSupport.h>

#include <archive_report/PdfReport.h>
#include <archive_report/ReportContent.h>
#include <archive_report/ReportPainter.h>
#include <archive_table/EventRows.h>

#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include "BenchmarkMain.h"

#include <benchmark/benchmark.h>

namespace {

struct Archive {
    config_quorvel::Configuration configuration;
    archive_report::ReportContent content;
    // The same rows' texts, ready-made for the bare painter.
    std::vector<archive_table::RowTexts> rows;

    Archive()
    {
        const std::vector<config_quorvel::Event> events =
            readPanel(panel_sim::buildPanel(fullArchivePanel()), configuration);
        content = archive_report::reportContent(
            archive_table::eventsAsShownAfterRead(archive_table::archiveEvents(events)), configuration, {});
        rows = archive_table::rowTexts(content.events);
    }
};

const Archive& archive()
{
    static const Archive instance;
    return instance;
}

void report(benchmark::State& state)
{
    QByteArray pdf;
    for (auto _ : state) {
        pdf.clear();
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        if (!archive_report::writePdfReport(buffer, archive().content))
            state.SkipWithError("the report was not painted");
    }
    state.counters["rows"] = double(archive().content.events.size());
    state.counters["bytes"] = double(pdf.size());
    state.counters["pages"] = double(pdf.count("/Type /Page\n"));
}

void barePainter(benchmark::State& state)
{
    constexpr int rowsPerPage = 25;
    QByteArray pdf;
    int pages = 0;
    for (auto _ : state) {
        pdf.clear();
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        archive_report::setReportPage(writer);
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        const qreal rowHeight = writer.height() / qreal(rowsPerPage);
        const qreal cellWidth = writer.width() / qreal(archive_table::columnCount);
        const auto& rows = archive().rows;
        pages = 1;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            if (row > 0 && row % rowsPerPage == 0) {
                writer.newPage();
                ++pages;
            }
            const qreal y = (row % rowsPerPage) * rowHeight;
            for (int column = 0; column < archive_table::columnCount; ++column)
                painter.drawText(QRectF(column * cellWidth, y, cellWidth, rowHeight), Qt::TextWordWrap,
                                 rows[row][column]);
        }
        painter.end();
    }
    state.counters["bytes"] = double(pdf.size());
    state.counters["pages"] = double(pages);
}

} // namespace

BENCHMARK(barePainter)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(report)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv)
{
    return runWindowBenchmarks(argc, argv, [] { archive(); });
}
