#pragma once

#include <config_quorvel/Crc8.h>
#include <config_quorvel/Event.h>

#include <cstdint>
#include <vector>

namespace config_quorvel::testing {

// The 8 bytes of one archive record for tests, written field by field with
// the record's layout (big-endian packed time, emergency and address, section
// and class, code, check byte) and the check byte that makes it valid unless
// one is given. Unset fields are 0.
class RecordBuilder {
public:
    RecordBuilder& date(int year, int month, int day, int hour, int minute, int second)
    {
        packed = std::uint32_t(year - 2010) << 26 | std::uint32_t(month) << 22 | std::uint32_t(day) << 17
            | std::uint32_t(hour) << 12 | std::uint32_t(minute) << 6 | std::uint32_t(second);
        return *this;
    }
    RecordBuilder& dateTime(std::uint32_t value) { packed = value; return *this; }
    RecordBuilder& emergency(bool on = true) { isEmergency = on; return *this; }
    RecordBuilder& address(int value) { addressValue = value; return *this; }
    RecordBuilder& section(int value) { sectionValue = value; return *this; }
    RecordBuilder& eventClass(int value) { classValue = value; return *this; }
    RecordBuilder& code(std::uint8_t value) { codeValue = value; return *this; }
    RecordBuilder& check(std::uint8_t value) { checkByte = value; hasCheck = true; return *this; }
    // A check byte that does not match.
    RecordBuilder& badCheck() { badCheckByte = true; return *this; }

    std::vector<std::uint8_t> bytes() const
    {
        std::vector<std::uint8_t> b = {
            std::uint8_t(packed >> 24), std::uint8_t(packed >> 16), std::uint8_t(packed >> 8),
            std::uint8_t(packed), std::uint8_t((isEmergency ? 0x80 : 0) | (addressValue & 0x7F)),
            std::uint8_t((sectionValue & 0x1F) << 3 | (classValue & 0x07)), codeValue};
        std::uint8_t last = hasCheck ? checkByte : crc8(b);
        if (badCheckByte)
            last ^= 0x01;
        b.push_back(last);
        return b;
    }

    Event event(const Configuration* configuration) const { return Event(bytes(), configuration); }

private:
    std::uint32_t packed = 0;
    bool isEmergency = false;
    int addressValue = 0;
    int sectionValue = 0;
    int classValue = 0;
    std::uint8_t codeValue = 0;
    std::uint8_t checkByte = 0;
    bool hasCheck = false;
    bool badCheckByte = false;
};

} // namespace config_quorvel::testing
