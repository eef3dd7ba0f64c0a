#pragma once

// What poppler's tools (Debian's poppler-utils) read from a PDF: the text as
// laid out on the page, the pages, a page as an image. Each runs the tool
// and waits for it; an empty result when it fails.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>


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

// The text's lines with runs of spaces made one, for finding texts that
// the layout pads into columns.
inline QStringList pdfLines(const QString& layoutText)
{
    QStringList lines;
    for (const QString& line : layoutText.split(QLatin1Char('\n')))
        lines << line.simplified();
    return lines;
}
