#include <ArchiveRead.h>

#include <archive_table/CsvExport.h>
#include <archive_table/EventColumns.h>
#include <archive_table/EventRows.h>
#include <archive_table/TextExport.h>

#include <config_quorvel/ConfigQuorvel.h>
#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/Configuration.h>

namespace quorvel_archive {

ReadResult readArchiveText(rs485::SerialPlatform& platform, const std::string& portName, bool turbo,
                           config_quorvel::ProgressHandler* progress, ArchiveOptions::Format format)
{
    config_quorvel::ConfigQuorvel device(platform);
    device.setTurbo(turbo);
    if (!device.openPort(portName))
        return {ExitCode::PortError, "Ошибка при открытии порта " + portName, {}};

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
        const std::vector<archive_table::RowTexts> rows = archive_table::rowsAsShownAfterRead(events);
        result.text = format == ArchiveOptions::Format::Csv
            ? archive_table::exportCsv(archive_table::columnHeaders(), rows)
            : archive_table::exportText(archive_table::columnHeaders(), rows);
        return result;
    } catch (const config_quorvel::ConfiguratorError& error) {
        return {ExitCode::ReadFailed, error.what(), {}};
    }
}

} // namespace quorvel_archive
