#include <SourceNames.h>

#include <archive_table/ProgramInfo.h>
#include <archive_table/TableSource.h>

#include <QCoreApplication>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("SourceNames", text);
}

} // namespace

QString windowTitleFor(const archive_table::TableSource& source)
{
    const QString caption = QString::fromUtf8(programCaption);
    switch (source.kind) {
    case archive_table::TableSource::Kind::History:
        return tr("«%1» — история — %2").arg(source.site, caption);
    case archive_table::TableSource::Kind::Dump:
        return tr("%1 — %2").arg(source.dumpFile, caption);
    case archive_table::TableSource::Kind::Read:
    case archive_table::TableSource::Kind::None:
        break;
    }
    return caption + QStringLiteral(" - ") + QString::fromUtf8(programVersion);
}

QString sourceDescription(const archive_table::TableSource& source)
{
    switch (source.kind) {
    case archive_table::TableSource::Kind::Read:
        return tr("чтение %1").arg(archive_table::shownTime(source.readTime));
    case archive_table::TableSource::Kind::Dump:
        return tr("дамп памяти %1").arg(source.dumpFile);
    case archive_table::TableSource::Kind::History:
        return tr("история объекта «%1»").arg(source.site);
    case archive_table::TableSource::Kind::None:
        break;
    }
    return QString();
}
