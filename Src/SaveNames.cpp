#include <SaveNames.h>

#include <archive_table/TableSource.h>

#include <QFileInfo>
#include <QRegularExpression>

QString withSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + suffix;
}

QString safeFileName(const QString& text)
{
    static const QRegularExpression refused(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    return QString(text).replace(refused, QStringLiteral("_")).trimmed();
}

QString proposedName(const archive_table::TableSource& source)
{
    if (source.kind == archive_table::TableSource::Kind::None)
        return QString();
    QString name = source.site.isEmpty() ? archive_table::panelTypeText() : source.site;
    if (source.readTime.isValid())
        name += QLatin1Char(' ') + source.readTime.toLocalTime().toString(QStringLiteral("yyyy-MM-dd"));
    return safeFileName(name);
}
