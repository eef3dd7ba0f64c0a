#include <config_quorvel/EventTable.h>

namespace config_quorvel {

namespace {

using Slot = std::u16string EventTable::*;

constexpr Slot slots[EventTable::stateCount] = {
    &EventTable::loop1Norm,       &EventTable::loop1Failure, &EventTable::loop1Warning,
    &EventTable::loop1Fire,       &EventTable::loop1TakeOff, &EventTable::loop1Put,
    &EventTable::loop1Alarm,      &EventTable::loop1Activation,
    &EventTable::loop2Norm,       &EventTable::loop2Failure, &EventTable::loop2Warning,
    &EventTable::loop2Fire,       &EventTable::loop2TakeOff, &EventTable::loop2Put,
    &EventTable::loop2Alarm,      &EventTable::loop2Activation,
    &EventTable::line3Norm,       &EventTable::line3Failure, &EventTable::line3Activation,
    &EventTable::line4Norm,       &EventTable::line4Failure, &EventTable::line4Activation,
    &EventTable::deviceTamper,    &EventTable::outsFailure,
};

// Display texts: Cyrillic capitals with a Latin look-alike are Latin letters.
const std::u16string normText = u"HOPMA";
const std::u16string failureText = u"HEИCПPABH.";
const std::u16string warningText = u"BHИMAHИE";
const std::u16string fireText = u"ПOЖAP";
const std::u16string takeOffText = u"БЛOKИPOBKA";
const std::u16string putText = u"BKЛЮЧEHИE";
const std::u16string alarmText = u"OTKЛЮЧЁH";
const std::u16string loopActivationText = u"CPAБOTAЛ";
const std::u16string lineActivationText = u"CPAБOTAЛA";
const std::u16string tamperText = u"BCKPЫTИE";

} // namespace

EventTable::EventTable()
    : loop1Norm(normText), loop1Failure(failureText), loop1Warning(warningText),
      loop1Fire(fireText), loop1TakeOff(takeOffText), loop1Put(putText), loop1Alarm(alarmText),
      loop1Activation(loopActivationText),
      loop2Norm(normText), loop2Failure(failureText), loop2Warning(warningText),
      loop2Fire(fireText), loop2TakeOff(takeOffText), loop2Put(putText), loop2Alarm(alarmText),
      loop2Activation(loopActivationText),
      line3Norm(normText), line3Failure(failureText), line3Activation(lineActivationText),
      line4Norm(normText), line4Failure(failureText), line4Activation(lineActivationText),
      deviceTamper(tamperText), outsFailure(failureText)
{
    emergency.fill(false);
    emergency[2] = true;  // loop1Warning
    emergency[3] = true;  // loop1Fire
    emergency[10] = true; // loop2Warning
    emergency[11] = true; // loop2Fire
}

bool EventTable::operator!=(const EventTable& other) const
{
    if (name != other.name || emergency != other.emergency)
        return true;
    for (Slot slot : slots)
        if (this->*slot != other.*slot)
            return true;
    return false;
}

std::u16string& EventTable::text(int k)
{
    return this->*slots[k];
}

const std::u16string& EventTable::text(int k) const
{
    return this->*slots[k];
}

const EventTable& EventTable::defaults()
{
    static const EventTable table;
    return table;
}

const EventTable& defaultEventTable = EventTable::defaults();

} // namespace config_quorvel
