#pragma once

#include <array>
#include <string>

namespace config_quorvel {

// The texts a panel shows for the states of the loops and lines of the
// devices that use the table, with a per-state emergency flag.
class EventTable {
public:
    // Number of per-state texts; also the order of the panel record's slots.
    static constexpr int stateCount = 24;

    EventTable();
    EventTable(const EventTable&) = default;
    EventTable& operator=(const EventTable&) = default;
    virtual ~EventTable() = default;

    bool operator!=(const EventTable& other) const;
    bool operator==(const EventTable& other) const { return !(*this != other); }

    // Per-state text k in slot order (loop1Norm ... outsFailure).
    std::u16string& text(int k);
    const std::u16string& text(int k) const;

    std::u16string name;

    std::u16string loop1Norm;
    std::u16string loop1Failure;
    std::u16string loop1Warning;
    std::u16string loop1Fire;
    std::u16string loop1TakeOff;
    std::u16string loop1Put;
    std::u16string loop1Alarm;
    std::u16string loop1Activation;
    std::u16string loop2Norm;
    std::u16string loop2Failure;
    std::u16string loop2Warning;
    std::u16string loop2Fire;
    std::u16string loop2TakeOff;
    std::u16string loop2Put;
    std::u16string loop2Alarm;
    std::u16string loop2Activation;
    std::u16string line3Norm;
    std::u16string line3Failure;
    std::u16string line3Activation;
    std::u16string line4Norm;
    std::u16string line4Failure;
    std::u16string line4Activation;
    std::u16string deviceTamper;
    std::u16string outsFailure;

    std::array<bool, stateCount> emergency;

    // The built-in table; safe to use from other static initialisers.
    static const EventTable& defaults();
};

// The process-wide built-in table (the same object as EventTable::defaults()).
extern const EventTable& defaultEventTable;

} // namespace config_quorvel
