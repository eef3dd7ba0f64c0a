#include <config_quorvel/ConfigQuorvel.h>

#include <config_quorvel/ConfigDecoder.h>
#include <config_quorvel/ConfiguratorError.h>
#include <config_quorvel/MemoryMap.h>
#include <config_quorvel/PanelIdentity.h>
#include <config_quorvel/ProgressHandlerAdapter.h>

#include <boot_loader/BootloaderException.h>
#include <rs485/SerialPlatform.h>

namespace config_quorvel {

namespace mm = memory_map;

namespace {

constexpr int normalBaud = 19200;
constexpr int turboBaud = 345600;
constexpr int turboSpeed = 0x01;
constexpr int normalSpeed = 0x23;

} // namespace

ConfigQuorvel::ConfigQuorvel() : ConfigQuorvel(rs485::nativeSerialPlatform()) {}

ConfigQuorvel::ConfigQuorvel(rs485::SerialPlatform& platform)
    : connection(platform), stream(connection), protocol(stream),
      settingsImage(mm::settingsSpace, mm::settingsStart, mm::pageSize, mm::settingsPages),
      configImage(mm::configSpace, mm::configStart, mm::pageSize, mm::configPages),
      archiveImage(mm::archiveSpace, mm::archiveStart, mm::pageSize, mm::archivePages)
{
}

ConfigQuorvel::~ConfigQuorvel() = default;

bool ConfigQuorvel::openPort(const std::string& portName)
{
    return connection.open(portName, normalBaud);
}

bool ConfigQuorvel::closePort()
{
    return connection.close();
}

void ConfigQuorvel::setTurbo(bool turbo)
{
    this->turbo = turbo;
}

std::vector<Event> ConfigQuorvel::readArchive(Configuration& configuration, ProgressHandler* handler)
{
    // The two range checksums count in the total but are never stepped.
    const int total = static_cast<int>(settingsImage.pages.size() + configImage.pages.size() + 2
                                       + archiveImage.pages.size());
    ProgressHandlerAdapter progress(total, handler);

    identifyDevice();
    progress.step();
    if (progress.cancelled())
        throw ConfiguratorError(ConfiguratorError::Cancelled);

    try {
        enterTurbo();
        settingsImage.read(protocol, &progress);
        if (!settingsIdentified(settingsImage)) {
            leaveTurbo();
            throw ConfiguratorError(ConfiguratorError::IncompatibleFirmware);
        }
        configImage.read(protocol, &progress);
        archiveImage.read(protocol, &progress);
        settingsChecksum = protocol.rangeChecksum(mm::settingsSpace, mm::settingsStart,
                                                  mm::pageSize * mm::settingsPages);
        if (progress.cancelled())
            throw boot_loader::BootloaderException(boot_loader::BootloaderException::Cancelled);
        configChecksum = protocol.rangeChecksum(mm::configSpace, mm::configStart,
                                                mm::pageSize * mm::configPages);
        leaveTurbo();
        progress.finish();
    } catch (const boot_loader::BootloaderException& e) {
        leaveTurbo();
        throw ConfiguratorError(e);
    }

    // The link is quiet from here on; decoding cannot fail.
    return decoder().decodePanel(configuration);
}

void ConfigQuorvel::identifyDevice()
{
    boot_loader::BootloaderInfo info;
    try {
        info = protocol.readInfo();
    } catch (const boot_loader::BootloaderException& e) {
        throw ConfiguratorError(e);
    }
    infoBlock = info.block;
    checkLoaderIdentity(info);
}

void ConfigQuorvel::enterTurbo()
{
    if (!turbo)
        return;
    protocol.setSpeed(turboSpeed);
    connection.setBaudRate(turboBaud);
}

void ConfigQuorvel::leaveTurbo()
{
    if (!turbo)
        return;
    try {
        protocol.setSpeed(normalSpeed);
        connection.setBaudRate(normalBaud);
    } catch (const boot_loader::BootloaderException&) {
        // Best effort on the way out: the port is closed next and reopens
        // at the normal speed, and the read's own outcome matters more.
    }
}

ConfigDecoder ConfigQuorvel::decoder() const
{
    return ConfigDecoder(settingsImage, configImage, archiveImage);
}

} // namespace config_quorvel
