#include <archive_report/ReportPainter.h>

#include <archive_report/ReportContent.h>
#include <archive_report/ReportFont.h>
#include <archive_report/ReportTexts.h>

#include <archive_table/EventCounts.h>
#include <archive_table/ProgramInfo.h>
#include <site_statistics/DeviceRanking.h>
#include <site_statistics/MonthTable.h>

#include <QFontMetricsF>
#include <QHash>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <array>
#include <optional>

namespace archive_report {

namespace {

using archive_table::DetailLine;
using archive_table::RowTexts;
using archive_table::columnCount;

constexpr qreal bodyPoints = 9;
constexpr qreal titlePoints = 14;
constexpr qreal siteNamePoints = 12;
constexpr std::size_t topCount = 10;
constexpr std::size_t faultyDeviceCount = 10;
// Space around a cell's text and between blocks, in lines of body text.
constexpr qreal cellPaddingX = 0.3;
constexpr qreal cellPaddingY = 0.12;
constexpr qreal blockGap = 0.8;
// The running header's line and the space under its rule.
constexpr qreal runningHeaderLines = 1.6;
// The signature block: the space above it, its texts, the space to write
// in above the lines.
constexpr qreal signatureGap = 1.5;
constexpr qreal signatureWritingSpace = 2.2;
const QColor headerShade(228, 228, 228);
const QColor gridColour(150, 150, 150);

QString text(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

QFont reportFont(const QString& family, qreal points, bool bold)
{
    QFont font(family);
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A font as measured on the device, with the widths of the texts it has
// measured: a full archive repeats a few event and device texts thousands
// of times.
class MeasuredFont {
public:
    MeasuredFont(const QFont& font, QPaintDevice* device) : font(font), metrics(font, device), device(device) {}

    qreal width(const QString& text)
    {
        const auto found = widths.constFind(text);
        if (found != widths.constEnd())
            return *found;
        const qreal measured = metrics.horizontalAdvance(text);
        widths.insert(text, measured);
        return measured;
    }

    // The text in lines no wider than the width: broken between words, and
    // inside a word wider than a line, so that no part of it is cut off.
    QStringList lines(const QString& text, qreal lineWidth)
    {
        if (width(text) <= lineWidth)
            return {text};
        QTextLayout layout(text, font, device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        QStringList lines;
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(lineWidth);
            QString part = text.mid(line.textStart(), line.textLength());
            int end = part.size();
            while (end > 0 && part.at(end - 1).isSpace())
                --end;
            part.truncate(end);
            lines << part;
        }
        layout.endLayout();
        return lines;
    }

    int lineCount(const QString& text, qreal lineWidth)
    {
        return width(text) <= lineWidth ? 1 : std::max(1, int(lines(text, lineWidth).size()));
    }

    QString elided(const QString& text, qreal lineWidth) const
    {
        return metrics.elidedText(text, Qt::ElideRight, lineWidth);
    }

    qreal lineHeight() const { return metrics.lineSpacing(); }
    qreal ascent() const { return metrics.ascent(); }

    QFont font;

private:
    QFontMetricsF metrics;
    QPaintDevice* device;
    QHash<QString, qreal> widths;
};

// A site's last twelve months: the month table's rows of the twelve
// calendar months that end with the month of its latest dated event, and
// the first rows of its device ranking, in the reader's spelling.
struct YearTables {
    site_statistics::StatisticsTable months;
    site_statistics::StatisticsTable devices;
};

YearTables yearStatistics(const site_statistics::Tallies& tallies, const archive_table::DeviceDirectory& devices)
{
    const site_statistics::MonthWindow window = site_statistics::rankingWindow(tallies);
    std::vector<site_statistics::MonthCounts> months = site_statistics::monthTable(tallies);
    months.erase(std::remove_if(months.begin(), months.end(),
                                [&](const site_statistics::MonthCounts& m) {
                                    return m.month == 0 || m.month < window.first || m.month > window.last;
                                }),
                 months.end());
    std::vector<site_statistics::DeviceCounts> ranking = site_statistics::deviceRanking(tallies, devices);
    if (ranking.size() > faultyDeviceCount)
        ranking.resize(faultyDeviceCount);
    YearTables tables{site_statistics::monthTableTexts(months), site_statistics::deviceRankingTexts(ranking)};
    const std::size_t monthsColumn = tables.devices.headers.size() - 1;
    for (std::size_t i = 0; i < ranking.size(); ++i) {
        archive_table::CellTexts& row = tables.devices.rows[i];
        if (ranking[i].repeatedFaults())
            row[monthsColumn] = text(repeatedFaultsFormat).arg(row[monthsColumn]);
        for (QString& cell : row)
            cell = archive_table::readerSpelling(cell);
    }
    return tables;
}

struct Column {
    int column = 0;
    qreal x = 0;
    qreal width = 0;
};

class Report {
public:
    Report(QPagedPaintDevice& device, const ReportContent& content)
        : device(device), content(content), counts(archive_table::countEvents(content.events)),
          family(reportFontFamily()), body(reportFont(family, bodyPoints, false), &device),
          bold(reportFont(family, bodyPoints, true), &device),
          title(reportFont(family, titlePoints, true), &device),
          siteName(reportFont(family, siteNamePoints, true), &device)
    {
        pageWidth = device.width();
        line = body.lineHeight();
        padX = line * cellPaddingX;
        padY = line * cellPaddingY;
        pageTop = line * runningHeaderLines;
        bodyBottom = device.height() - line * 1.6;
        signatureHeight = line * (signatureGap + 1 + signatureWritingSpace);
        headers = archive_table::readerSpelling(archive_table::columnHeaders());
        const Period period = periodOf(content.events);
        periodText = period.first.isEmpty() ? QStringLiteral("—") : period.first + QStringLiteral(" — ") + period.last;
        if (counts.undated > 0)
            periodText += QStringLiteral(", ") + text(undatedFormat).arg(counts.undated);
        if (content.siteTallies)
            yearTables = yearStatistics(*content.siteTallies, content.devices);
    }

    int paint()
    {
        layOutColumns();
        layOutPages();
        QPainter painter;
        if (!painter.begin(&device))
            return 0;
        const int pages = pageCount();
        for (int page = 0; page < pages; ++page) {
            if (page > 0 && !device.newPage())
                return 0;
            runningHeader(painter);
            qreal y = pageTop;
            if (page == 0)
                y = firstPageBlocks(&painter);
            if (page < int(pageFirstRows.size()))
                y = tablePage(painter, page, y);
            if (page == pages - 1) {
                if (yearTables)
                    y = statisticsSection(&painter, statisticsOnOwnPage ? pageTop : y);
                signature(painter, signatureOnOwnPage ? pageTop : y);
            }
            footer(painter, page + 1, pages);
        }
        return painter.end() ? pages : 0;
    }

private:
    int pageCount() const
    {
        return int(pageFirstRows.size()) + (signatureOnOwnPage || statisticsOnOwnPage ? 1 : 0);
    }

    // The columns the view shows, the section's only when a row has one
    // (as in the text export). Numbers and dates take what their widest
    // text needs; the event and object texts share the rest and wrap.
    void layOutColumns()
    {
        std::array<qreal, columnCount> natural{};
        bool anySection = false;
        for (int column = 0; column < columnCount; ++column)
            natural[column] = bold.width(headers[column]);
        for (const archive_table::ArchiveEvent& event : content.events) {
            const RowTexts row = rowTexts(event);
            for (int column = 0; column < columnCount; ++column)
                natural[column] = std::max(natural[column], body.width(row[column]));
            anySection = anySection || event.section != 0;
        }
        qreal fixed = 0;
        for (int column = 0; column < columnCount; ++column) {
            natural[column] += 2 * padX;
            if (column == archive_table::sectionColumn && !anySection)
                continue;
            columns.push_back({column, 0, natural[column]});
            if (column != archive_table::eventColumn && column != archive_table::objectColumn)
                fixed += natural[column];
        }

        const qreal rest = pageWidth - fixed;
        const qreal event = natural[archive_table::eventColumn];
        const qreal object = natural[archive_table::objectColumn];
        const qreal eventWidth = event + object <= rest ? event : std::min(event, std::max(rest * 0.4, rest - object));
        qreal x = 0;
        for (Column& column : columns) {
            if (column.column == archive_table::eventColumn)
                column.width = eventWidth;
            else if (column.column == archive_table::objectColumn)
                column.width = rest - eventWidth;
            column.x = x;
            x += column.width;
        }
        // A page too narrow even for the numbers (a portrait page with a
        // large font): every column shrinks alike and wraps.
        const qreal minimumText = line * 6;
        if (rest < 2 * minimumText) {
            const qreal scale = pageWidth / (fixed + 2 * minimumText);
            x = 0;
            for (Column& column : columns) {
                if (column.column == archive_table::eventColumn || column.column == archive_table::objectColumn)
                    column.width = minimumText;
                column.width *= scale;
                column.x = x;
                x += column.width;
            }
        }
        tableWidth = x;
    }

    qreal rowHeight(const RowTexts& row, MeasuredFont& font)
    {
        int lines = 1;
        for (const Column& column : columns)
            lines = std::max(lines, font.lineCount(row[column.column], column.width - 2 * padX));
        return lines * line + 2 * padY;
    }

    // Which rows start each page, and where the signature goes.
    void layOutPages()
    {
        headerHeight = rowHeight(headers, bold);
        const qreal firstTop = firstPageBlocks(nullptr);
        pageFirstRows = {0};
        rowHeights.reserve(content.events.size());
        qreal y = firstTop + headerHeight;
        for (std::size_t row = 0; row < content.events.size(); ++row) {
            const qreal height = rowHeight(rowTexts(content.events[row]), body);
            rowHeights.push_back(height);
            // A row taller than a page still gets one of its own.
            if (y + height > bodyBottom && row != pageFirstRows.back()) {
                pageFirstRows.push_back(row);
                y = pageTop + headerHeight;
            }
            y += height;
        }
        // The statistics keep the signatures company on a page of their
        // own when both do not fit under the last row.
        if (yearTables) {
            statisticsOnOwnPage = statisticsSection(nullptr, y) + signatureHeight > bodyBottom;
            return;
        }
        if (y + signatureHeight <= bodyBottom)
            return;
        // The signatures are never alone on a page: the last row goes over
        // with them, under the table's header, as long as a row stays on
        // the page it leaves. Only a single row too tall for a page with
        // the signatures leaves them a page of their own.
        const std::size_t rows = content.events.size();
        if (rows - pageFirstRows.back() >= 2)
            pageFirstRows.push_back(rows - 1);
        else
            signatureOnOwnPage = true;
    }

    qreal tablePage(QPainter& painter, int page, qreal top)
    {
        const std::size_t first = pageFirstRows[page];
        const std::size_t end =
            page + 1 < int(pageFirstRows.size()) ? pageFirstRows[page + 1] : content.events.size();
        painter.fillRect(QRectF(0, top, tableWidth, headerHeight), headerShade);
        painter.setFont(bold.font);
        cells(painter, headers, bold, top);
        qreal y = top + headerHeight;
        painter.setFont(body.font);
        const QColor pink = QColor::fromRgb(archive_table::emergencyBackgroundRgb);
        for (std::size_t row = first; row < end; ++row) {
            const archive_table::ArchiveEvent& event = content.events[row];
            if (event.emergency)
                painter.fillRect(QRectF(0, y, tableWidth, rowHeights[row]), pink);
            cells(painter, rowTexts(event), body, y);
            y += rowHeights[row];
        }
        grid(painter, top, y, first, end);
        return y;
    }

    // Draws the cells of one row at top in the painter's font, which is
    // the given one's.
    void cells(QPainter& painter, const RowTexts& texts, MeasuredFont& font, qreal top)
    {
        for (const Column& column : columns) {
            const QString& cell = texts[column.column];
            if (cell.isEmpty())
                continue;
            const qreal textWidth = column.width - 2 * padX;
            const qreal x = column.x + padX;
            const qreal baseline = top + padY + font.ascent();
            if (font.width(cell) <= textWidth) {
                painter.drawText(QPointF(x, baseline), cell);
                continue;
            }
            const QStringList lines = font.lines(cell, textWidth);
            for (int i = 0; i < lines.size(); ++i)
                painter.drawText(QPointF(x, baseline + i * line), lines[i]);
        }
    }

    void grid(QPainter& painter, qreal top, qreal bottom, std::size_t first, std::size_t end)
    {
        painter.save();
        painter.setPen(QPen(gridColour, line * 0.04));
        for (const Column& column : columns)
            painter.drawLine(QPointF(column.x, top), QPointF(column.x, bottom));
        painter.drawLine(QPointF(tableWidth, top), QPointF(tableWidth, bottom));
        painter.drawLine(QPointF(0, top), QPointF(tableWidth, top));
        qreal y = top + headerHeight;
        painter.drawLine(QPointF(0, y), QPointF(tableWidth, y));
        for (std::size_t row = first; row < end; ++row) {
            y += rowHeights[row];
            painter.drawLine(QPointF(0, y), QPointF(tableWidth, y));
        }
        painter.restore();
    }

    // A row's texts as the report writes them: in the reader's spelling,
    // so that a search in the PDF finds what the window finds.
    static RowTexts rowTexts(const archive_table::ArchiveEvent& event)
    {
        return archive_table::readerSpelling(archive_table::rowTexts(event));
    }

    // On every page: the site and the panel on the left, the period on the
    // right, a rule under them. A name too long for its place is cut short.
    void runningHeader(QPainter& painter)
    {
        const QString period = text(periodLabel) + QStringLiteral(": ") + periodText;
        const qreal periodWidth = std::min(body.width(period), pageWidth / 2);
        const qreal room = pageWidth - periodWidth - line;
        const QString& site = content.source.site;
        const QString panel = site.isEmpty() ? content.panelLine : QStringLiteral(" · ") + content.panelLine;
        const qreal siteWidth = std::min(bold.width(site), std::max(room - body.width(panel), room / 2));
        const QString shownSite = bold.elided(site, siteWidth);
        const qreal baseline = body.ascent();
        painter.setFont(bold.font);
        painter.drawText(QPointF(0, baseline), shownSite);
        const qreal panelLeft = bold.width(shownSite);
        painter.setFont(body.font);
        painter.drawText(QPointF(panelLeft, baseline), body.elided(panel, room - panelLeft));
        painter.drawText(QPointF(pageWidth - periodWidth, baseline), body.elided(period, periodWidth));
        painter.save();
        painter.setPen(QPen(gridColour, line * 0.04));
        painter.drawLine(QPointF(0, line * 1.15), QPointF(pageWidth, line * 1.15));
        painter.restore();
    }

    // The title, the site's name, the header block and the summary; measured
    // only without a painter. Returns where the table starts.
    qreal firstPageBlocks(QPainter* painter)
    {
        qreal y = pageTop;
        y += centred(painter, title, text(titleText), y);
        if (!content.source.site.isEmpty())
            y += centred(painter, siteName, content.source.site, y);
        y += line * blockGap;
        y += headerBlock(painter, y) + line * blockGap;
        y += summary(painter, y) + line * blockGap;
        return y;
    }

    // Centred lines, wrapped within the page.
    qreal centred(QPainter* painter, MeasuredFont& font, const QString& value, qreal top)
    {
        const QStringList lines = font.lines(value, pageWidth);
        if (painter) {
            painter->setFont(font.font);
            for (int i = 0; i < lines.size(); ++i)
                painter->drawText(QRectF(0, top + i * font.lineHeight(), pageWidth, font.lineHeight()),
                                  Qt::AlignHCenter | Qt::AlignTop, lines[i]);
        }
        return font.lineHeight() * lines.size();
    }

    // The panel and the program on the left; where the events come from,
    // their period, the filter and the report's date on the right.
    qreal headerBlock(QPainter* painter, qreal top)
    {
        std::vector<DetailLine> left = content.panel;
        left.push_back({text(programVersionLabel), QString::fromUtf8(programVersion)});

        std::vector<DetailLine> right = archive_table::sourceLines(content.source);
        right.push_back({text(periodLabel), periodText});
        right.push_back({text(filterLabel), content.filter});
        right.push_back({text(madeAtLabel), archive_table::shownTime(content.madeAt)});

        const qreal half = pageWidth / 2;
        return std::max(details(painter, left, 0, half - line, top), details(painter, right, half, half, top));
    }

    // Labelled values, the values wrapped within the width left to them.
    qreal details(QPainter* painter, const std::vector<DetailLine>& lines, qreal left, qreal width, qreal top)
    {
        qreal labelWidth = 0;
        for (const DetailLine& detail : lines)
            labelWidth = std::max(labelWidth, bold.width(detail.label + QLatin1Char(':')));
        labelWidth += padX * 2;
        qreal y = top;
        for (const DetailLine& detail : lines) {
            const QStringList values = body.lines(detail.value, std::max(width - labelWidth, line));
            if (painter) {
                painter->setFont(bold.font);
                painter->drawText(QPointF(left, y + body.ascent()), detail.label + QLatin1Char(':'));
                painter->setFont(body.font);
                for (int i = 0; i < values.size(); ++i)
                    painter->drawText(QPointF(left + labelWidth, y + body.ascent() + i * line), values[i]);
            }
            y += line * values.size();
        }
        return y - top;
    }

    // The counts, then the most frequent event texts and the devices with
    // the most events side by side.
    qreal summary(QPainter* painter, qreal top)
    {
        const qreal half = pageWidth / 2;
        qreal y = top;
        y += details(painter, {{text(rowsShownLabel), QString::number(counts.all.events)},
                               {text(emergencyRowsLabel), QString::number(counts.all.emergencies)}},
                     0, half - line, y);
        y += line * blockGap / 2;

        std::vector<std::pair<QString, int>> events = counts.topEventTexts(topCount);
        for (auto& event : events)
            event.first = archive_table::readerSpelling(event.first);
        std::vector<std::pair<QString, int>> devices;
        for (const auto& [place, tally] : counts.topDevices(topCount)) {
            const QString name = archive_table::readerSpelling(content.devices.deviceName(place));
            devices.emplace_back(place.section != 0 ? text(sectionDeviceFormat).arg(name).arg(place.section).arg(place.address)
                                                    : text(deviceFormat).arg(name).arg(place.address),
                                 tally.events);
        }
        const qreal lists = std::max(countList(painter, text(topEventsTitle), events, 0, half - line, y),
                                     countList(painter, text(topDevicesTitle), devices, half, half, y));
        return y + lists - top;
    }

    qreal countList(QPainter* painter, const QString& heading, const std::vector<std::pair<QString, int>>& items,
                    qreal left, qreal width, qreal top)
    {
        qreal countWidth = 0;
        qreal widest = 0;
        for (const auto& [label, count] : items) {
            countWidth = std::max(countWidth, body.width(QString::number(count)));
            widest = std::max(widest, body.width(label));
        }
        // The counts close to their texts, so that the eye finds the pairs.
        const qreal textWidth = std::max(std::min(width - countWidth, widest + padX * 4) - padX * 4, line);
        width = textWidth + padX * 4 + countWidth;
        if (painter) {
            painter->setFont(bold.font);
            painter->drawText(QPointF(left, top + body.ascent()), heading);
            painter->setFont(body.font);
        }
        qreal y = top + line;
        for (const auto& [label, count] : items) {
            const QStringList lines = body.lines(label, textWidth);
            if (painter) {
                for (int i = 0; i < lines.size(); ++i)
                    painter->drawText(QPointF(left + padX * 2, y + body.ascent() + i * line), lines[i]);
                painter->drawText(QRectF(left, y, width, line), Qt::AlignRight | Qt::AlignTop, QString::number(count));
            }
            y += line * lines.size();
        }
        return y - top;
    }

    // The last twelve months of a site's history by month, then its
    // devices with the most faults; measured only without a painter.
    // Returns where it ends.
    qreal statisticsSection(QPainter* painter, qreal top)
    {
        qreal y = top + line * blockGap;
        y += heading(painter, text(yearStatisticsTitle), y) + line * blockGap / 2;
        y += countTable(painter, yearTables->months, y) + line * blockGap;
        y += heading(painter, text(faultyDevicesTitle), y) + line * blockGap / 2;
        return y + countTable(painter, yearTables->devices, y);
    }

    qreal heading(QPainter* painter, const QString& value, qreal top)
    {
        if (painter) {
            painter->setFont(bold.font);
            painter->drawText(QPointF(0, top + bold.ascent()), bold.elided(value, pageWidth));
        }
        return line;
    }

    // A table of counts, a line a row: its columns as wide as their widest
    // text, all narrowed alike where they would pass the page's edge.
    qreal countTable(QPainter* painter, const site_statistics::StatisticsTable& table, qreal top)
    {
        const qreal rowHeight = line + 2 * padY;
        const qreal height = rowHeight * qreal(table.rows.size() + 1);
        if (!painter)
            return height;
        std::vector<qreal> widths;
        qreal width = 0;
        for (std::size_t column = 0; column < table.headers.size(); ++column) {
            qreal widest = bold.width(table.headers[column]);
            for (const archive_table::CellTexts& row : table.rows)
                widest = std::max(widest, body.width(row[column]));
            widths.push_back(widest + 2 * padX);
            width += widths.back();
        }
        if (width > pageWidth) {
            for (qreal& w : widths)
                w *= pageWidth / width;
            width = pageWidth;
        }
        painter->fillRect(QRectF(0, top, width, rowHeight), headerShade);
        const auto row = [&](const archive_table::CellTexts& cells, MeasuredFont& font, qreal y) {
            painter->setFont(font.font);
            qreal x = 0;
            for (std::size_t column = 0; column < cells.size(); ++column) {
                painter->drawText(QPointF(x + padX, y + padY + font.ascent()),
                                  font.elided(cells[column], widths[column] - 2 * padX));
                x += widths[column];
            }
        };
        row(table.headers, bold, top);
        for (std::size_t i = 0; i < table.rows.size(); ++i)
            row(table.rows[i], body, top + rowHeight * qreal(i + 1));
        painter->save();
        painter->setPen(QPen(gridColour, line * 0.04));
        qreal x = 0;
        for (const qreal w : widths) {
            painter->drawLine(QPointF(x, top), QPointF(x, top + height));
            x += w;
        }
        painter->drawLine(QPointF(width, top), QPointF(width, top + height));
        for (std::size_t i = 0; i <= table.rows.size() + 1; ++i)
            painter->drawLine(QPointF(0, top + rowHeight * qreal(i)), QPointF(width, top + rowHeight * qreal(i)));
        painter->restore();
        return height;
    }

    // Both parties side by side, each text over a line to write on.
    void signature(QPainter& painter, qreal top)
    {
        const qreal half = pageWidth / 2;
        const qreal textTop = top + line * signatureGap;
        const qreal rule = textTop + line * (1 + signatureWritingSpace);
        painter.setFont(body.font);
        painter.save();
        painter.setPen(QPen(Qt::black, line * 0.05));
        for (const auto& [left, label] : {std::pair(qreal(0), technicianSignatureText), std::pair(half, siteSignatureText)}) {
            painter.drawText(QPointF(left, textTop + body.ascent()), body.elided(text(label), half - line));
            painter.drawLine(QPointF(left, rule), QPointF(left + half - line * 2, rule));
        }
        painter.restore();
    }

    void footer(QPainter& painter, int page, int pages)
    {
        const qreal top = device.height() - line;
        painter.save();
        painter.setPen(QPen(gridColour, line * 0.04));
        painter.drawLine(QPointF(0, top - line * 0.3), QPointF(pageWidth, top - line * 0.3));
        painter.restore();
        painter.setFont(body.font);
        painter.drawText(QPointF(0, top + body.ascent()),
                         text(madeAtLabel) + QLatin1Char(' ') + archive_table::shownTime(content.madeAt));
        painter.drawText(QRectF(0, top, pageWidth, line), Qt::AlignRight | Qt::AlignTop,
                         text(pageFormat).arg(page).arg(pages));
    }

    QPagedPaintDevice& device;
    const ReportContent& content;
    const archive_table::EventCounts counts;
    const QString family;
    MeasuredFont body;
    MeasuredFont bold;
    MeasuredFont title;
    MeasuredFont siteName;
    RowTexts headers;
    QString periodText;
    qreal pageWidth = 0;
    qreal line = 0;
    qreal padX = 0;
    qreal padY = 0;
    qreal pageTop = 0;
    qreal bodyBottom = 0;
    qreal signatureHeight = 0;
    qreal tableWidth = 0;
    qreal headerHeight = 0;
    std::vector<Column> columns;
    std::vector<qreal> rowHeights;
    std::vector<std::size_t> pageFirstRows;
    bool signatureOnOwnPage = false;
    std::optional<YearTables> yearTables;
    bool statisticsOnOwnPage = false;
};

} // namespace

void setReportPage(QPagedPaintDevice& device)
{
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(15, 10, 10, 10), QPageLayout::Millimeter));
}

int paintReport(QPagedPaintDevice& device, const ReportContent& content)
{
    return Report(device, content).paint();
}

} // namespace archive_report
