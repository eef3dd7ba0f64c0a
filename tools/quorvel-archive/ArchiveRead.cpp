#include <ArchiveRead.h>

#include <archive_table/EventRows.h>

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/Configuration.h>
#include <config_quorvel/PortOpenError.h>

#include <memory_dump/DumpDecode.h>
#include <memory_dump/DumpError.h>
#include <memory_dump/DumpFile.h>

#include <archive_table/ProgramInfo.h>

#include <QDateTime>

namespace quorvel_archive {

ReadResult readArchive(rs485::SerialPlatform& platform, const std::string& portName, bool turbo,
                           config_quorvel::ProgressHandler* progress)
{
    config_quorvel::ConfigQuorvel device(platform);
    device.setTurbo(turbo);
    if (!device.openPort(portName))
        return {ExitCode::PortError, config_quorvel::portOpenErrorText(portName, device.openFailure()), {}, {}};

    struct PortCloser {
        config_quorvel::ConfigQuorvel& device;
        ~PortCloser() { device.closePort(); }
    } closer{device};

    // The events refer to the configuration for their texts, so it must
    // live until the table is built.
    config_quorvel::Configuration configuration;
    try {
        const std::vector<config_quorvel::Event> events = device.readArchive(configuration, progress);
        ReadResult result;
        result.table.events = archive_table::eventsAsShownAfterRead(archive_table::archiveEvents(events));
        result.dump = memory_dump::dumpOfRead(device, portName, QDateTime::currentMSecsSinceEpoch(),
                                              programVersion);
        result.table.source = archive_table::readSource(result.dump);
        result.table.configuration = configuration;
        return result;
    } catch (const config_quorvel::ConfiguratorError& error) {
        return {ExitCode::ReadFailed, error.what(), {}, {}};
    }
}

ReadResult decodeDumpFile(const QString& dumpFile)
{
    try {
        ReadResult result;
        result.dump = memory_dump::loadDumpFile(dumpFile);
        config_quorvel::Configuration configuration;
        const std::vector<config_quorvel::Event> events = memory_dump::decodeDump(result.dump, configuration);
        result.table.events = archive_table::eventsAsShownAfterRead(archive_table::archiveEvents(events));
        result.table.source = archive_table::dumpSource(result.dump, dumpFile);
        result.table.configuration = configuration;
        return result;
    } catch (const memory_dump::DumpError& error) {
        return {ExitCode::DumpError, error.what(), {}, {}};
    } catch (const config_quorvel::ConfiguratorError& error) {
        // A dump of a panel that a read would have turned away.
        return {ExitCode::DumpError, error.what(), {}, {}};
    }
}

} // namespace quorvel_archive
