#pragma once

#include <config_quorvel/Configuration.h>
#include <config_quorvel/DeviceNames.h>
#include <config_quorvel/Event.h>
#include <config_quorvel/EventTable.h>

#include <boot_loader/BootloaderProtocol.h>
#include <boot_loader/MemoryImage.h>
#include <rs485/Byte9Stream.h>
#include <rs485/RS485Connection.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rs485 {
class SerialPlatform;
}

namespace config_quorvel {

class ConfigDecoder;
class ProgressHandler;

// The device model's entry point: owns the link to the panel's loader and
// the images of the three memory regions, and reads a panel into a
// configuration and its list of archive events.
class ConfigQuorvel {
public:
    ConfigQuorvel();                                      // the native serial ports
    explicit ConfigQuorvel(rs485::SerialPlatform& platform);
    virtual ~ConfigQuorvel();

    ConfigQuorvel(const ConfigQuorvel&) = delete;
    ConfigQuorvel& operator=(const ConfigQuorvel&) = delete;

    // Opens the port at 19200 baud; false when it cannot be opened, with
    // openFailure() saying whether another program holds it.
    bool openPort(const std::string& portName);
    rs485::OpenFailure openFailure() const { return connection.openFailure(); }
    bool closePort();
    // Whether the next read switches the line to 345600 baud.
    void setTurbo(bool turbo);

    // Identifies the panel, reads its memory with progress (handler may be
    // null) and decodes it into `configuration`, which the events refer to.
    // Throws ConfiguratorError, with Cancelled when the handler asked to
    // stop; `configuration` is untouched when the read fails.
    std::vector<Event> readArchive(Configuration& configuration, ProgressHandler* handler);

    // The panel's range checksums from the last read that got that far.
    std::uint32_t settingsChecksumValue() const { return settingsChecksum; }
    std::uint32_t configChecksumValue() const { return configChecksum; }

    // What the last read brought back, for keeping it in a dump: the
    // loader's information block as received, the three regions as the
    // images hold them, and whether the read used the higher speed. Only
    // complete after a read that succeeded.
    const std::vector<std::uint8_t>& infoBlockBytes() const { return infoBlock; }
    const boot_loader::MemoryImage& settingsMemory() const { return settingsImage; }
    const boot_loader::MemoryImage& configMemory() const { return configImage; }
    const boot_loader::MemoryImage& archiveMemory() const { return archiveImage; }
    bool turboEnabled() const { return turbo; }

private:
    void identifyDevice();
    void enterTurbo();
    void leaveTurbo();

    // The decoders read the images as the last read left them.
    ConfigDecoder decoder() const;

    rs485::RS485Connection connection;
    rs485::Byte9Stream stream;
    boot_loader::BootloaderProtocol protocol;
    boot_loader::MemoryImage settingsImage;
    boot_loader::MemoryImage configImage;
    boot_loader::MemoryImage archiveImage;
    std::uint32_t settingsChecksum = 0;
    std::uint32_t configChecksum = 0;
    bool turbo = false;
    std::vector<std::uint8_t> infoBlock;
};

} // namespace config_quorvel
