#include <archive_report/ReportFont.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>

namespace archive_report {

namespace {

// The regular and the bold face: the report uses no other.
const char* const fontFiles[] = {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf"};

} // namespace

QStringList reportFontFolders(const QString& programDir)
{
    const QDir dir(programDir);
    QStringList folders = {dir.absoluteFilePath(QStringLiteral("fonts"))};
#ifdef QUORVEL_FONTS_FROM_BIN
    folders << QDir::cleanPath(dir.absoluteFilePath(QStringLiteral(QUORVEL_FONTS_FROM_BIN)));
#endif
    return folders;
}

QString addReportFonts(const QStringList& folders)
{
    for (const QString& folder : folders) {
        if (!QFileInfo(QDir(folder).filePath(QLatin1String(fontFiles[0]))).isFile())
            continue;
        QString family;
        for (const char* file : fontFiles) {
            const int id = QFontDatabase::addApplicationFont(QDir(folder).filePath(QLatin1String(file)));
            if (id >= 0 && family.isEmpty())
                family = QFontDatabase::applicationFontFamilies(id).value(0);
        }
        return family;
    }
    return {};
}

QString reportFontFamily()
{
    // Added once for the life of the program: every report after the first
    // finds the font in the application's fonts.
    static const QString own = addReportFonts(reportFontFolders(QCoreApplication::applicationDirPath()));
    if (!own.isEmpty())
        return own;
    // Both have the Cyrillic letters and allow embedding, so the PDF keeps
    // its texts as text; anything else is the font database's own choice.
    const QStringList available = QFontDatabase().families();
    for (const char* family : {"DejaVu Sans", "Arial", "Liberation Sans"})
        if (available.contains(QLatin1String(family)))
            return QLatin1String(family);
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

} // namespace archive_report
