#pragma once

#include <ArchiveOptions.h>

#include <memory_dump/MemoryDump.h>
#include <site_history/HistoryError.h>

#include <QString>

#include <memory>

namespace site_history {
class SiteHistory;
}

namespace quorvel_archive {

// The store --history names, opened before any read so that one that
// cannot be used ends the run at once; null, with the reason printed, when
// it cannot be opened (and, when asked, why).
std::unique_ptr<site_history::SiteHistory> openStore(const ArchiveOptions& options,
                                                     site_history::HistoryError::Fault* fault = nullptr);

// Whether a read whose store could not be opened for that fault is kept
// for later (--keep-pending and a server that cannot be reached).
bool keepsForLater(const ArchiveOptions& options, site_history::HistoryError::Fault fault);

// Keeps the read or dump for --send-pending and says so; returns the exit
// code, that of a store that cannot be written.
int keepForLater(const ArchiveOptions& options, const memory_dump::MemoryDump& dump, const QString& label = QString());

// Records a read or a dump under the site --site names, or the one site
// whose history holds enough of its records; prints the outcome. Returns
// the exit code: a site neither named nor found is a bad command line.
int recordInHistory(site_history::SiteHistory& store, const ArchiveOptions& options,
                    const memory_dump::MemoryDump& dump, const QString& label = QString());

// The site recordInHistory will record the dump under, for a report that
// names it: the one --site names, or the one site whose history holds its
// records; empty when neither is known (recordInHistory then says why).
QString siteToRecordUnder(site_history::SiteHistory& store, const ArchiveOptions& options,
                          const memory_dump::MemoryDump& dump);

// --import, --list-sites, --history-table, --history-stats, --overview,
// --check-history, --send-pending and --merge-site.
int importDumps(const ArchiveOptions& options);
int listSites(const ArchiveOptions& options);
int writeHistoryTable(const ArchiveOptions& options);
int writeHistoryStats(const ArchiveOptions& options);
int writeOverview(const ArchiveOptions& options);
int checkHistory(const ArchiveOptions& options);
int sendPending(const ArchiveOptions& options);
int mergeSites(const ArchiveOptions& options);

} // namespace quorvel_archive
