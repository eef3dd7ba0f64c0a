#include <ArchiveOptions.h>

#include <site_history/SiteName.h>

#include <QString>

namespace quorvel_archive {

namespace {

// Splits "--name=value" so that both spellings of an option with a value work.
bool splitInlineValue(const std::string& arg, std::string& name, std::optional<std::string>& value)
{
    const auto eq = arg.find('=');
    if (arg.rfind("--", 0) != 0 || eq == std::string::npos) {
        name = arg;
        value.reset();
        return false;
    }
    name = arg.substr(0, eq);
    value = arg.substr(eq + 1);
    return true;
}

} // namespace

ArchiveOptions parseArchiveOptions(const std::vector<std::string>& args)
{
    ArchiveOptions options;
    std::optional<ArchiveOptions::Action> action;
    bool noTurbo = false;
    bool formatGiven = false;

    const auto setAction = [&](ArchiveOptions::Action a, const std::string& name) {
        if (action)
            throw CommandLineError("only one of --list-ports, --port, --simulate, --from-dump, --import, --list-sites, "
                                   "--history-table, --history-stats, --overview, --check-history, --send-pending, "
                                   "--merge-site, --help and --version may be given (" + name + ")");
        action = a;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name;
        std::optional<std::string> value;
        const bool inlineValue = splitInlineValue(args[i], name, value);
        const auto takeValue = [&]() -> std::string {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw CommandLineError(name + " needs a value");
                value = args[++i];
            }
            if (value->empty())
                throw CommandLineError(name + " needs a non-empty value");
            return *value;
        };
        const auto noValue = [&] {
            if (inlineValue)
                throw CommandLineError(name + " takes no value");
        };

        if (name == "--port") {
            setAction(ArchiveOptions::Action::ReadPort, name);
            options.port = takeValue();
        } else if (name == "--output" || name == "-o") {
            if (options.output)
                throw CommandLineError("--output is given twice");
            options.output = takeValue();
        } else if (name == "--format") {
            if (formatGiven)
                throw CommandLineError("--format is given twice");
            formatGiven = true;
            const std::string format = takeValue();
            if (format == "text")
                options.format = ArchiveOptions::Format::Text;
            else if (format == "csv")
                options.format = ArchiveOptions::Format::Csv;
            else if (format == "pdf")
                options.format = ArchiveOptions::Format::Pdf;
            else
                throw CommandLineError("--format is text, csv or pdf, not " + format);
        } else if (name == "--from-dump") {
            setAction(ArchiveOptions::Action::ReadDump, name);
            options.dumpFile = takeValue();
        } else if (name == "--save-dump") {
            if (options.saveDump)
                throw CommandLineError("--save-dump is given twice");
            options.saveDump = takeValue();
        } else if (name == "--history") {
            if (options.history)
                throw CommandLineError("--history is given twice");
            options.history = takeValue();
        } else if (name == "--site") {
            if (options.site)
                throw CommandLineError("--site is given twice");
            options.site = takeValue();
        } else if (name == "--import") {
            setAction(ArchiveOptions::Action::Import, name);
            options.importDumps.push_back(takeValue());
            // Every argument up to the next option is a dump.
            while (i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0 && !args[i + 1].empty())
                options.importDumps.push_back(args[++i]);
        } else if (name == "--list-sites") {
            noValue();
            setAction(ArchiveOptions::Action::ListSites, name);
        } else if (name == "--history-table") {
            noValue();
            setAction(ArchiveOptions::Action::HistoryTable, name);
        } else if (name == "--history-stats") {
            setAction(ArchiveOptions::Action::HistoryStats, name);
            // Its table is named by the next argument when that is one of them.
            if (!inlineValue && i + 1 < args.size() && (args[i + 1] == "months" || args[i + 1] == "devices"))
                value = args[++i];
            if (value && *value == "devices")
                options.statistic = ArchiveOptions::Statistic::Devices;
            else if (value && *value != "months")
                throw CommandLineError("--history-stats is months or devices, not " + *value);
        } else if (name == "--overview") {
            noValue();
            setAction(ArchiveOptions::Action::Overview, name);
        } else if (name == "--check-history") {
            noValue();
            setAction(ArchiveOptions::Action::CheckHistory, name);
        } else if (name == "--send-pending") {
            noValue();
            setAction(ArchiveOptions::Action::SendPending, name);
        } else if (name == "--merge-site") {
            setAction(ArchiveOptions::Action::MergeSite, name);
            options.mergeFrom = takeValue();
        } else if (name == "--into") {
            if (options.mergeInto)
                throw CommandLineError("--into is given twice");
            options.mergeInto = takeValue();
        } else if (name == "--keep-pending") {
            noValue();
            if (options.keepPending)
                throw CommandLineError("--keep-pending is given twice");
            options.keepPending = true;
        } else if (name == "--list-ports") {
            noValue();
            setAction(ArchiveOptions::Action::ListPorts, name);
        } else if (name == "--simulate") {
            noValue();
            setAction(ArchiveOptions::Action::ReadSimulated, name);
        } else if (name == "--no-turbo") {
            noValue();
            if (noTurbo)
                throw CommandLineError("--no-turbo is given twice");
            noTurbo = true;
        } else if (name == "--help" || name == "-h") {
            noValue();
            setAction(ArchiveOptions::Action::Help, name);
        } else if (name == "--version") {
            noValue();
            setAction(ArchiveOptions::Action::Version, name);
        } else {
            throw CommandLineError("unknown argument " + args[i]);
        }
    }

    if (!action)
        throw CommandLineError("nothing to do");
    options.action = *action;
    const bool reads = options.action == ArchiveOptions::Action::ReadPort
        || options.action == ArchiveOptions::Action::ReadSimulated;
    const bool decodes = options.action == ArchiveOptions::Action::ReadDump;
    // Writes a table of one site's history.
    const bool siteTable = options.action == ArchiveOptions::Action::HistoryTable
        || options.action == ArchiveOptions::Action::HistoryStats;
    const bool overview = options.action == ArchiveOptions::Action::Overview;
    const bool merge = options.action == ArchiveOptions::Action::MergeSite;
    const bool wholeStore = options.action == ArchiveOptions::Action::ListSites
        || options.action == ArchiveOptions::Action::CheckHistory || options.action == ArchiveOptions::Action::SendPending
        || overview || merge;
    const bool historyAction = siteTable || wholeStore || options.action == ArchiveOptions::Action::Import;
    if (!reads && (noTurbo || options.saveDump))
        throw CommandLineError("--no-turbo and --save-dump go only with --port or --simulate");
    if (!reads && !decodes && !siteTable && !overview && (options.output || formatGiven))
        throw CommandLineError("--output and --format go only with --port, --simulate, --from-dump, --history-table, "
                               "--history-stats or --overview");
    if (historyAction && !options.history)
        throw CommandLineError("--import, --list-sites, --history-table, --history-stats, --overview, --check-history, "
                               "--send-pending and --merge-site need --history STORE");
    if (options.history && !reads && !decodes && !historyAction)
        throw CommandLineError("--history goes with a read, --from-dump, --import, --list-sites, --history-table, "
                               "--history-stats, --overview, --check-history, --send-pending or --merge-site");
    if (options.site && !options.history)
        throw CommandLineError("--site goes only with --history");
    if (options.site && wholeStore)
        throw CommandLineError("--list-sites, --overview, --check-history, --send-pending and --merge-site take the "
                               "whole history; --site does not go with them");
    if (merge != bool(options.mergeInto))
        throw CommandLineError("--merge-site FROM and --into TO go together");
    if (merge && options.mergeFrom == *options.mergeInto)
        throw CommandLineError("--merge-site and --into name the same site");
    if (options.keepPending && (!options.history || !(reads || decodes || options.action == ArchiveOptions::Action::Import)))
        throw CommandLineError("--keep-pending goes with --history and a read, --from-dump or --import");
    if (siteTable && !options.site)
        throw CommandLineError(options.action == ArchiveOptions::Action::HistoryStats ? "--history-stats needs --site NAME"
                                                                                     : "--history-table needs --site NAME");
    if ((options.action == ArchiveOptions::Action::HistoryStats || overview) && options.format == ArchiveOptions::Format::Pdf)
        throw CommandLineError("--history-stats and --overview write text or csv, not pdf");
    // A name that may make a new site follows the store's rule; the site
    // whose history to write is looked up as named, whatever an older
    // program let in.
    if (options.site && !siteTable)
        if (const QString problem = site_history::siteNameProblem(QString::fromUtf8(options.site->c_str()));
            !problem.isEmpty())
            throw CommandLineError("--site: " + problem.toStdString());
    // A PDF on a terminal or in a pipe is of no use to a person or a text tool.
    if (options.format == ArchiveOptions::Format::Pdf && !options.output)
        throw CommandLineError("--format pdf needs --output FILE");
    options.turbo = !noTurbo;
    return options;
}

std::string usageText()
{
    return "Usage:\n"
           "  quorvel-archive --list-ports\n"
           "  quorvel-archive --port NAME [--no-turbo] [--format text|csv|pdf] [--output FILE]\n"
           "                  [--save-dump DUMP]\n"
           "  quorvel-archive --simulate [--no-turbo] [--format text|csv|pdf] [--output FILE]\n"
           "                  [--save-dump DUMP]\n"
           "  quorvel-archive --from-dump DUMP [--format text|csv|pdf] [--output FILE]\n"
           "  quorvel-archive (--port NAME | --simulate | --from-dump DUMP) ... --history STORE\n"
           "                  [--site NAME] [--keep-pending]\n"
           "  quorvel-archive --history STORE --import DUMP... [--site NAME] [--keep-pending]\n"
           "  quorvel-archive --history STORE --list-sites | --check-history | --send-pending\n"
           "  quorvel-archive --history STORE --site NAME --history-table\n"
           "                  [--format text|csv|pdf] [--output FILE]\n"
           "  quorvel-archive --history STORE --site NAME --history-stats [months|devices]\n"
           "                  [--format text|csv] [--output FILE]\n"
           "  quorvel-archive --history STORE --overview [--format text|csv] [--output FILE]\n"
           "  quorvel-archive --history STORE --merge-site FROM --into TO\n"
           "  quorvel-archive --help | --version\n"
           "\n"
           "Reads the event archive of a Quorvel panel and writes it as the viewer's\n"
           "text table, to FILE or to standard output.\n"
           "\n"
           "  --list-ports     the serial ports; the USB-RS485 converter's are marked\n"
           "  --port NAME      read through this port (ttyUSB0 means /dev/ttyUSB0)\n"
           "  --simulate       read the built-in demo panel instead of a real one\n"
           "  --no-turbo       stay at 19200 baud for the whole read\n"
           "  --format FORMAT  text: the viewer's text table (the default); csv: the\n"
           "                   viewer's CSV export (UTF-8, ';' between fields); pdf: the\n"
           "                   viewer's report for printing (A4, with the panel, the read,\n"
           "                   a summary and lines to sign), only with --output\n"
           "  --output FILE    write the table to FILE, replacing it only when complete\n"
           "  --save-dump DUMP with --port or --simulate: also keep the memory the read\n"
           "                   brought back in the dump file DUMP (.qrvdump)\n"
           "  --from-dump DUMP decode a dump file instead of reading a panel; the table\n"
           "                   is the one a read of that panel gives\n"
           "  --history STORE  the site history: a SQLite file on this computer, or a\n"
           "                   PostgreSQL database named by a URI\n"
           "                   postgresql://[user@][host][:port]/dbname[?param=value&...]\n"
           "                   (libpq's parameters: host=/folder for a Unix socket,\n"
           "                   sslmode, connect_timeout (10 s unless given),\n"
           "                   application_name); the password never goes in the URI:\n"
           "                   libpq takes it from ~/.pgpass (on Windows\n"
           "                   %APPDATA%\\postgresql\\pgpass.conf), PGPASSFILE or\n"
           "                   PGPASSWORD. Made on first use; the read or dump is also\n"
           "                   recorded in it. A file this user may not change is only\n"
           "                   read (listed, shown, checked); a store of an older\n"
           "                   version is migrated in place when first opened\n"
           "  --site NAME      the site (объект) the read belongs to; without it, the one\n"
           "                   site whose history holds at least 8 of the read's records.\n"
           "                   A site's name is UTF-8 text of 1 to 200 characters, with no\n"
           "                   spaces around it and no control characters (tab, line feed)\n"
           "  --import DUMP... record dump files in the history\n"
           "  --list-sites     one line per site: name, reads, events kept, last read\n"
           "                   (ISO 8601, UTC), separated by tabs; in the name a backslash,\n"
           "                   tab, line feed and carriage return are written \\\\, \\t, \\n\n"
           "                   and \\r, other control characters \\uXXXX\n"
           "  --history-table  write the site's history, every event of all its reads,\n"
           "                   as the table of one read\n"
           "  --history-stats [months|devices]\n"
           "                   write the site's statistics. months (the default): one\n"
           "                   row per calendar month from the earliest dated event to\n"
           "                   the latest, empty months as zeros, then the events\n"
           "                   without a date; its events, emergencies, faults (class\n"
           "                   1), loop states (2), commands (3-5), resets (0) and\n"
           "                   others (6, 7). devices: each device's events,\n"
           "                   emergencies, faults and months with faults in the 12\n"
           "                   months ending with that of the latest dated event, most\n"
           "                   faults first, then most emergencies\n"
           "  --overview       one row per site: its last read (local time), days since\n"
           "                   it, the events and emergencies it saw first, the device\n"
           "                   faults dated in the 12 months before it, and \"да\" when\n"
           "                   the site is due: its last read more than its service\n"
           "                   interval ago (31 days unless the site has its own)\n"
           "  --check-history  check the whole history (every page of a file, each\n"
           "                   site's count of events, every read's dump) and say what\n"
           "                   was found; exit status 6 when it is damaged\n"
           "  --keep-pending   when the history's server cannot be reached, keep the\n"
           "                   read or dump on this computer (the folder\n"
           "                   QUORVEL_PENDING_DIR names, or Quorvel/pending in the\n"
           "                   user's data folder) instead of losing it; the exit\n"
           "                   status is 6 all the same\n"
           "  --send-pending   record the reads kept for this history\n"
           "  --merge-site FROM --into TO\n"
           "                   merge two sites that are one place: TO's history becomes\n"
           "                   the one all reads of both recorded under one name give,\n"
           "                   and FROM is gone; all of it or nothing. Says how many\n"
           "                   reads and events were moved and how many both held\n"
           "\n"
           "Exit status: 0 done, 1 the read failed, 2 bad command line (or a read\n"
           "whose site is neither named nor found), 3 the port cannot be opened (or\n"
           "another program holds it), 4 the table or the dump cannot be written\n"
           "(checked before the read starts), 5 the dump cannot be used, 6 the history\n"
           "cannot be opened, is busy, damaged or may not be written, 70 an internal\n"
           "error of the program (a fault to report, whatever it was doing). SIGINT\n"
           "(Ctrl+C) or SIGTERM during a read stops it after the loader command in\n"
           "progress: the port is closed, nothing is written or recorded, and the exit\n"
           "status is 130 or 143.\n";
}

} // namespace quorvel_archive
