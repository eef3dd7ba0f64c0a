#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace config_quorvel {

class Configuration;
class DeviceNames;
class EventTable;

// One archive record of the panel, with the texts the panel's names and
// event tables give it. The texts are computed on each request from the
// configuration the event was decoded with, which must outlive the request.
class Event {
public:
    // Decodes an 8-byte record; any other length gives an event with every
    // field 0.
    Event(const std::vector<std::uint8_t>& record, const Configuration* configuration);
    virtual ~Event() = default;

    std::uint32_t dateTime() const { return dateTimeValue; }
    bool emergency() const { return emergencyFlag; }
    int eventClass() const { return eventClassValue; }
    int sectionNumber() const { return sectionNumberValue; }
    int address() const { return addressValue; }
    int loopNumber() const { return loopNumberValue; }
    std::uint8_t code() const { return codeValue; }
    const Configuration* configuration() const { return configurationPtr; }

    // "YYYY/MM/DD hh:mm:ss", empty when no time is known. Fixed width, so it
    // sorts chronologically as text.
    std::string dateTimeText() const;
    // What the event concerns: the panel, a section, a device or its part,
    // or a command.
    std::u16string objectText() const;
    // What happened.
    std::u16string eventText() const;

private:
    const Configuration& currentConfiguration() const;
    const std::shared_ptr<DeviceNames>& findDeviceNames() const;
    const EventTable& eventTableOfDevice() const;

    std::u16string deviceNameText() const;
    std::u16string loopNameText() const;
    std::u16string sectionText() const;
    std::u16string menuCommandText() const;
    std::u16string addressCommandText() const;

    std::u16string deviceEventText() const;
    std::u16string loopEventText() const;
    std::u16string groupCommandText() const;

    std::uint32_t dateTimeValue = 0;
    bool emergencyFlag = false;
    int eventClassValue = 0;
    int sectionNumberValue = 0;
    int addressValue = 0;
    int loopNumberValue = 0;
    std::uint8_t codeValue = 0;
    const Configuration* configurationPtr;
};

} // namespace config_quorvel
