#include <ShownArchive.h>

#include <config_quorvel/ConfiguratorError.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>

#include <QCoreApplication>
#include <QFileInfo>

std::optional<ArchiveToShow> dumpArchive(const QString& fileName, QString& error)
{
    try {
        ArchiveToShow shown;
        memory_dump::MemoryDump dump = memory_dump::loadDumpFile(fileName);
        // The decoded events name their devices through the configuration
        // they came with: made into rows while it stays where it is.
        shown.events = archive_table::archiveEvents(memory_dump::decodeDump(dump, shown.archive.configuration));
        shown.archive.source = archive_table::dumpSource(dump, fileName);
        shown.archive.dump = std::move(dump);
        // The read's time as the details, the sites and the report show it.
        shown.outcome = QCoreApplication::translate("MainWindow", "Дамп памяти %1, прочитан из прибора %2")
                            .arg(QFileInfo(fileName).fileName(), archive_table::shownTime(shown.archive.source.readTime));
        return shown;
    } catch (const memory_dump::DumpError& failure) {
        error = QString::fromUtf8(failure.what());
    } catch (const config_quorvel::ConfiguratorError& failure) {
        error = QString::fromUtf8(failure.what());
    }
    return std::nullopt;
}
