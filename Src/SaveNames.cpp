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
    return datedName(source.site.isEmpty() ? archive_table::panelTypeText() : source.site, source.readTime);
}

QString datedName(const QString& name, const QDateTime& time)
{
    if (!time.isValid())
        return safeFileName(name);
    return safeFileName(name + QLatin1Char(' ') + time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd")));
}
