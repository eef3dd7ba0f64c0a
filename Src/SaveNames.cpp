#include <SaveNames.h>

#include <QFileInfo>

QString withSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + suffix;
}
