#include <HistoryCommands.h>

#include <ConsoleText.h>
#include <ExitCode.h>
#include <ExportOutput.h>
#include <ReportOutput.h>

#include <archive_table/EventRows.h>
#include <config_quorvel/ConfiguratorError.h>
#include <file_output/OutputFile.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>
#include <site_history/SiteHistory.h>

namespace quorvel_archive {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.c_str());
}

std::string withLabel(const QString& label, const QString& text)
{
    return (label.isEmpty() ? text : label + QStringLiteral(": ") + text).toStdString();
}

} // namespace

std::unique_ptr<site_history::SiteHistory> openStore(const ArchiveOptions& options)
{
    try {
        return std::make_unique<site_history::SiteHistory>(fromUtf8(*options.history));
    } catch (const site_history::HistoryError& error) {
        printError(error.what());
        return nullptr;
    }
}

int recordInHistory(site_history::SiteHistory& store, const ArchiveOptions& options,
                    const memory_dump::MemoryDump& dump, const QString& label)
{
    try {
        QString site;
        if (options.site) {
            site = fromUtf8(*options.site);
        } else {
            const site_history::SiteMatch match = store.matchSite(dump);
            if (match.kind != site_history::SiteMatch::Kind::One) {
                printError(withLabel(label, match.kind == site_history::SiteMatch::Kind::None
                                                ? QStringLiteral("объект не найден в истории; укажите его: --site ИМЯ")
                                                : QStringLiteral("чтение подходит к нескольким объектам истории; "
                                                                 "укажите объект: --site ИМЯ")));
                return ExitCode::UsageError;
            }
            site = match.site;
        }
        const site_history::RecordedRead recorded = store.record(site, dump);
        printError(withLabel(label, recorded.alreadyKept
                                        ? QStringLiteral("это чтение уже есть в истории объекта «%1»").arg(site)
                                        : QStringLiteral("сохранено в истории объекта «%1», новых событий: %2")
                                              .arg(site)
                                              .arg(recorded.newEvents)));
        return ExitCode::Success;
    } catch (const site_history::HistoryError& error) {
        printError(withLabel(label, fromUtf8(error.what())));
        return ExitCode::StoreError;
    } catch (const memory_dump::DumpError& error) {
        printError(withLabel(label, fromUtf8(error.what())));
        return ExitCode::DumpError;
    } catch (const config_quorvel::ConfiguratorError& error) {
        printError(withLabel(label, fromUtf8(error.what())));
        return ExitCode::DumpError;
    }
}

QString siteToRecordUnder(site_history::SiteHistory& store, const ArchiveOptions& options,
                          const memory_dump::MemoryDump& dump)
{
    if (options.site)
        return fromUtf8(*options.site);
    try {
        const site_history::SiteMatch match = store.matchSite(dump);
        return match.kind == site_history::SiteMatch::Kind::One ? match.site : QString();
    } catch (const std::exception&) {
        // The record that follows fails the same way and reports it.
        return {};
    }
}

int importDumps(const ArchiveOptions& options)
{
    const std::unique_ptr<site_history::SiteHistory> store = openStore(options);
    if (!store)
        return ExitCode::StoreError;
    // Each dump in a transaction of its own; one that fails leaves the
    // others recorded, and the first failure gives the exit status.
    int status = ExitCode::Success;
    for (const std::string& name : options.importDumps) {
        const QString file = fromUtf8(name);
        int outcome = ExitCode::Success;
        try {
            outcome = recordInHistory(*store, options, memory_dump::loadDumpFile(file), file);
        } catch (const memory_dump::DumpError& error) {
            printError(withLabel(file, fromUtf8(error.what())));
            outcome = ExitCode::DumpError;
        }
        if (status == ExitCode::Success)
            status = outcome;
    }
    return status;
}

int listSites(const ArchiveOptions& options)
{
    const std::unique_ptr<site_history::SiteHistory> store = openStore(options);
    if (!store)
        return ExitCode::StoreError;
    try {
        std::string lines;
        for (const site_history::SiteInfo& site : store->sites())
            lines += QStringLiteral("%1\t%2\t%3\t%4\n")
                         .arg(site.name)
                         .arg(site.reads)
                         .arg(site.events)
                         .arg(site.lastRead.toUTC().toString(Qt::ISODate))
                         .toStdString();
        return writeText(stdout, lines) ? ExitCode::Success : ExitCode::OutputError;
    } catch (const site_history::HistoryError& error) {
        printError(error.what());
        return ExitCode::StoreError;
    }
}

int writeHistoryTable(const ArchiveOptions& options)
{
    if (options.output && !file_output::canWrite(fromUtf8(*options.output))) {
        printError(cannotOpenText);
        return ExitCode::OutputError;
    }
    const std::unique_ptr<site_history::SiteHistory> store = openStore(options);
    if (!store)
        return ExitCode::StoreError;
    ArchiveTable table;
    try {
        site_history::HistoryTable history = store->table(fromUtf8(*options.site));
        table.events = std::move(history.events);
        table.source.kind = archive_table::TableSource::Kind::History;
        table.source.site = history.site.name;
        table.source.reads = history.site.reads;
        table.source.firstRead = history.site.firstRead;
        table.source.readTime = history.site.lastRead;
        // The report names the devices as the site's latest read does.
        if (options.format == ArchiveOptions::Format::Pdf)
            memory_dump::decodeDump(store->latestDump(history.site.name), table.configuration);
    } catch (const site_history::HistoryError& error) {
        printError(error.what());
        return ExitCode::StoreError;
    } catch (const memory_dump::DumpError& error) {
        printError(error.what());
        return ExitCode::StoreError;
    } catch (const config_quorvel::ConfiguratorError& error) {
        printError(error.what());
        return ExitCode::StoreError;
    }
    return writeTable(options, exportTable(table.events, options.format), table);
}

} // namespace quorvel_archive
