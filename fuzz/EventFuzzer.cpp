// Archive events from arbitrary records against arbitrary configurations,
// with all three texts taken.
//
// Input: one 8-byte record, a configuration (ConfigurationInput.h), then
// further 8-byte records; a shorter rest is a record of the wrong length.

#include "ByteReader.h"
#include "ConfigurationInput.h"
#include "FuzzCheck.h"

#include <config_quorvel/Event.h>

#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using config_quorvel::Configuration;
using config_quorvel::Event;

namespace {

// What a text request could change if it inserted while looking up.
struct Shape {
    explicit Shape(const Configuration& c)
        : sections(c.sections.size()), commands(c.commands.size()), tables(c.eventTables.size())
    {
        for (const auto& entry : c.sections)
            devices += entry.second.devices.size();
    }
    bool operator==(const Shape& o) const
    {
        return sections == o.sections && devices == o.devices && commands == o.commands
            && tables == o.tables;
    }

    std::size_t sections;
    std::size_t devices = 0;
    std::size_t commands;
    std::size_t tables;
};

void checkEvent(const Event& event, const Configuration& configuration, bool decoded)
{
    FUZZ_CHECK(event.configuration() == &configuration);
    FUZZ_CHECK(event.eventClass() >= 0 && event.eventClass() <= 7);
    FUZZ_CHECK(event.sectionNumber() >= 0 && event.sectionNumber() <= 31);
    FUZZ_CHECK(event.address() >= 0 && event.address() <= 127);
    FUZZ_CHECK(event.loopNumber() >= 0 && event.loopNumber() <= 4);
    if (!decoded) {
        FUZZ_CHECK(event.dateTime() == 0 && !event.emergency() && event.eventClass() == 0
                   && event.sectionNumber() == 0 && event.address() == 0
                   && event.loopNumber() == 0 && event.code() == 0);
    }

    const Shape before(configuration);
    const std::string when = event.dateTimeText();
    const std::u16string object = event.objectText();
    const std::u16string what = event.eventText();
    FUZZ_CHECK(Shape(configuration) == before);

    // Fixed width, so the view can sort it as text.
    FUZZ_CHECK(event.dateTime() == 0 ? when.empty() : when.size() == 19);
    for (char c : when)
        FUZZ_CHECK(static_cast<unsigned char>(c) < 0x80);
    // Nothing is cached, and nothing depends on earlier requests.
    FUZZ_CHECK(event.objectText() == object && event.eventText() == what);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The configuration logs through Qt's debug stream; keep the run quiet.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::ByteReader in(data, size);
    std::vector<std::uint8_t> first = in.bytes(8);
    first.resize(8, 0);
    const Configuration configuration = fuzz::readConfiguration(in);

    checkEvent(Event(first, &configuration), configuration, true);
    while (in.remaining() >= 8)
        checkEvent(Event(in.bytes(8), &configuration), configuration, true);
    if (!in.atEnd())
        checkEvent(Event(in.bytes(8), &configuration), configuration, false);
    return 0;
}
