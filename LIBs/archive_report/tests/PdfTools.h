#pragma once

// What poppler's tools (Debian's poppler-utils) read from a PDF: the text as
// laid out on the page, the pages, a page as an image. Each runs the tool
// and waits for it; an empty result when it fails.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <vector>


inline QByteArray runPdfTool(const QString& tool, const QStringList& args)
{
    QProcess process;
    process.start(tool, args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return process.readAllStandardOutput();
}

// The text with each page's lines as they stand (pdftotext -layout); pages
// end with a form feed.
inline QString pdfLayoutText(const QString& pdf)
{
    return QString::fromUtf8(runPdfTool(QStringLiteral("pdftotext"), {"-layout", "-enc", "UTF-8", pdf, "-"}));
}

struct PdfInfo {
    int pages = 0;
    QString pageSize; // as pdfinfo says it: "841.89 x 595.276 pts (A4)"
};

inline PdfInfo pdfInfo(const QString& pdf)
{
    const QString text = QString::fromUtf8(runPdfTool(QStringLiteral("pdfinfo"), {pdf}));
    PdfInfo info;
    info.pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text).captured(1).toInt();
    info.pageSize = QRegularExpression(QStringLiteral("Page size:\\s+(.*)\\n")).match(text).captured(1).trimmed();
    return info;
}

// The first page as pdftoppm draws it.
inline QImage pdfFirstPage(const QString& pdf)
{
    QTemporaryDir folder;
    const QString prefix = folder.filePath(QStringLiteral("page"));
    runPdfTool(QStringLiteral("pdftoppm"), {"-png", "-r", "50", "-singlefile", pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

// Each word of each page with where it stands, in points from the page's
// top left corner (pdftotext -bbox).
struct PdfWord {
    QString text;
    QRectF box;
};

struct PdfPage {
    QSizeF size;
    std::vector<PdfWord> words;
};

inline std::vector<PdfPage> pdfWords(const QString& pdf)
{
    std::vector<PdfPage> pages;
    QXmlStreamReader xml(runPdfTool(QStringLiteral("pdftotext"), {"-bbox", "-enc", "UTF-8", pdf, "-"}));
    const auto number = [&](const char* name) { return xml.attributes().value(QLatin1String(name)).toDouble(); };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            pages.push_back({QSizeF(number("width"), number("height")), {}});
        } else if (xml.name() == QLatin1String("word") && !pages.empty()) {
            const QRectF box(QPointF(number("xMin"), number("yMin")), QPointF(number("xMax"), number("yMax")));
            pages.back().words.push_back({xml.readElementText(), box});
        }
    }
    return pages;
}

// The text's lines with runs of spaces made one, for finding texts that
// the layout pads into columns.
inline QStringList pdfLines(const QString& layoutText)
{
    QStringList lines;
    for (const QString& line : layoutText.split(QLatin1Char('\n')))
        lines << line.simplified();
    return lines;
}
