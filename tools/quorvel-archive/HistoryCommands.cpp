#include <HistoryCommands.h>

#include <ConsoleText.h>
#include <ExitCode.h>
#include <ExportOutput.h>
#include <ReportOutput.h>

#include <archive_table/CsvExport.h>
#include <archive_table/EventRows.h>
#include <archive_table/TextExport.h>
#include <config_quorvel/ConfiguratorError.h>
#include <file_output/OutputFile.h>
#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>
#include <site_history/PendingReads.h>
#include <site_history/SiteHistory.h>
#include <site_history/SiteName.h>
#include <site_statistics/DeviceRanking.h>
#include <site_statistics/MonthTable.h>
#include <site_statistics/SiteOverview.h>

#include <functional>

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

std::unique_ptr<site_history::SiteHistory> openStore(const ArchiveOptions& options,
                                                     site_history::HistoryError::Fault* fault)
{
    try {
        return std::make_unique<site_history::SiteHistory>(fromUtf8(*options.history));
    } catch (const site_history::HistoryError& error) {
        printError(error.what());
        if (fault)
            *fault = error.fault();
        return nullptr;
    }
}

bool keepsForLater(const ArchiveOptions& options, site_history::HistoryError::Fault fault)
{
    return options.keepPending && fault == site_history::HistoryError::Fault::Unreachable;
}

int keepForLater(const ArchiveOptions& options, const memory_dump::MemoryDump& dump, const QString& label)
{
    const QString store = fromUtf8(*options.history);
    try {
        site_history::PendingReads pending;
        pending.keep(store, options.site ? fromUtf8(*options.site) : QString(), dump);
        printError(withLabel(label, QStringLiteral("чтение отложено до связи с сервером истории (%1); отложенных "
                                                   "чтений этой истории: %2; запишите их: --history STORE --send-pending")
                                        .arg(pending.folder())
                                        .arg(pending.waiting(store).size())));
    } catch (const site_history::HistoryError& error) {
        printError(withLabel(label, fromUtf8(error.what())));
    }
    return ExitCode::StoreError;
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
        if (keepsForLater(options, error.fault()))
            return keepForLater(options, dump, label);
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
    site_history::HistoryError::Fault fault{};
    const std::unique_ptr<site_history::SiteHistory> store = openStore(options, &fault);
    if (!store && !keepsForLater(options, fault))
        return ExitCode::StoreError;
    // Each dump in a transaction of its own; one that fails leaves the
    // others recorded, and the first failure gives the exit status.
    int status = ExitCode::Success;
    for (const std::string& name : options.importDumps) {
        const QString file = fromUtf8(name);
        int outcome = ExitCode::Success;
        try {
            const memory_dump::MemoryDump dump = memory_dump::loadDumpFile(file);
            outcome = store ? recordInHistory(*store, options, dump, file) : keepForLater(options, dump, file);
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
                         .arg(site_history::escapedSiteName(site.name))
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
        if (options.format == ArchiveOptions::Format::Pdf) {
            memory_dump::decodeDump(store->latestDump(history.site.name), table.configuration);
            table.siteTallies = store->tallies(history.site.name);
        }
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
    return writeTable(options, table);
}

namespace {

// A statistic's table as --format asks, to --output or standard output.
int writeStatistics(const ArchiveOptions& options, const site_statistics::StatisticsTable& table)
{
    const bool textMode = options.format == ArchiveOptions::Format::Text;
    const std::optional<std::string> failure =
        writeExport(options.output ? fromUtf8(*options.output) : QString(), textMode, [&](QIODevice& device) {
            return textMode ? archive_table::writeText(device, table.headers, table.rows)
                            : archive_table::writeCsv(device, table.headers, table.rows);
        });
    if (failure) {
        printError(*failure);
        return ExitCode::OutputError;
    }
    return ExitCode::Success;
}

// A table the store makes, written where the options say: the output
// checked before the store is opened, the store's and the dump's failures
// reported as the store's.
int writeStoreTable(const ArchiveOptions& options,
                    const std::function<site_statistics::StatisticsTable(site_history::SiteHistory&)>& make)
{
    if (options.output && !file_output::canWrite(fromUtf8(*options.output))) {
        printError(cannotOpenText);
        return ExitCode::OutputError;
    }
    const std::unique_ptr<site_history::SiteHistory> store = openStore(options);
    if (!store)
        return ExitCode::StoreError;
    site_statistics::StatisticsTable table;
    try {
        table = make(*store);
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
    return writeStatistics(options, table);
}

} // namespace

int writeHistoryStats(const ArchiveOptions& options)
{
    return writeStoreTable(options, [&options](site_history::SiteHistory& store) {
        const QString site = fromUtf8(*options.site);
        const site_statistics::Tallies tallies = store.tallies(site);
        if (options.statistic == ArchiveOptions::Statistic::Months)
            return site_statistics::monthTableTexts(site_statistics::monthTable(tallies));
        // The devices are named as the site's latest read names them.
        config_quorvel::Configuration configuration;
        if (!tallies.empty())
            memory_dump::decodeDump(store.latestDump(site), configuration);
        return site_statistics::deviceRankingTexts(
            site_statistics::deviceRanking(tallies, archive_table::DeviceDirectory(configuration)));
    });
}

int writeOverview(const ArchiveOptions& options)
{
    return writeStoreTable(options, [](site_history::SiteHistory& store) {
        return site_statistics::overviewTableTexts(store.overview(), QDate::currentDate());
    });
}

int checkHistory(const ArchiveOptions& options)
{
    const std::unique_ptr<site_history::SiteHistory> store = openStore(options);
    if (!store)
        return ExitCode::StoreError;
    try {
        const site_history::HistoryCheck check = store->check();
        if (!writeText(stdout, (check.text + QLatin1Char('\n')).toStdString()))
            return ExitCode::OutputError;
        return check.sound ? ExitCode::Success : ExitCode::StoreError;
    } catch (const site_history::HistoryError& error) {
        printError(error.what());
        return ExitCode::StoreError;
    }
}

int mergeSites(const ArchiveOptions& options)
{
    const std::unique_ptr<site_history::SiteHistory> store = openStore(options);
    if (!store)
        return ExitCode::StoreError;
    const QString from = fromUtf8(options.mergeFrom);
    const QString into = fromUtf8(*options.mergeInto);
    try {
        const site_history::MergedSites merged = store->mergeSite(from, into);
        const QString text = QStringLiteral("объект «%1» объединён с «%2»: перенесено чтений %3, событий %4; "
                                            "уже были в «%2»: чтений %5, событий %6\n")
                                 .arg(site_history::escapedSiteName(from), site_history::escapedSiteName(into))
                                 .arg(merged.reads)
                                 .arg(merged.events)
                                 .arg(merged.keptReads)
                                 .arg(merged.sharedEvents);
        return writeText(stdout, text.toStdString()) ? ExitCode::Success : ExitCode::OutputError;
    } catch (const site_history::HistoryError& error) {
        printError(error.what());
        return ExitCode::StoreError;
    }
}

int sendPending(const ArchiveOptions& options)
{
    const std::unique_ptr<site_history::SiteHistory> store = openStore(options);
    if (!store)
        return ExitCode::StoreError;
    site_history::PendingReads pending;
    int status = ExitCode::Success;
    int sent = 0;
    try {
        pending.sendTo(*store, [&](const site_history::PendingReads::Sent& one) {
            const QString label = one.read.dumpFile;
            int outcome = ExitCode::Success;
            if (one.recorded) {
                ++sent;
                printError(withLabel(label, one.outcome.alreadyKept
                                                ? QStringLiteral("это чтение уже есть в истории объекта «%1»").arg(one.site)
                                                : QStringLiteral("сохранено в истории объекта «%1», новых событий: %2")
                                                      .arg(one.site)
                                                      .arg(one.outcome.newEvents)));
            } else {
                printError(withLabel(label, fromUtf8(one.problem) + (one.unusable ? QString()
                                                                                    : QStringLiteral("; запишите его: --import ФАЙЛ --site ИМЯ"))));
                outcome = one.unusable ? ExitCode::DumpError : ExitCode::UsageError;
            }
            if (status == ExitCode::Success)
                status = outcome;
        });
    } catch (const site_history::HistoryError& error) {
        printError(error.what());
        return ExitCode::StoreError;
    }
    if (sent == 0 && status == ExitCode::Success)
        printError("отложенных чтений этой истории нет");
    return status;
}

} // namespace quorvel_archive
