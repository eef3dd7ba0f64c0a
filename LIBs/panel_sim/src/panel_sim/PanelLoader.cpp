#include <panel_sim/PanelLoader.h>

#include <panel_sim/CommandFramer.h>
#include <rs485/Crc16.h>

#include <algorithm>

namespace panel_sim {

namespace {

constexpr std::uint8_t statusSuccess = 0xA0;
constexpr std::uint8_t statusBadChecksum = 0xA1;
constexpr std::uint8_t statusBadAddress = 0xA2;
constexpr std::uint8_t erased = 0xFF;
constexpr std::size_t infoBlockSize = 16;
// The loader's UART runs from an 11.0592 MHz crystal with 16 samples per bit.
constexpr std::uint32_t speedClock = 11059200 / 16;

CommandKind kindOf(std::uint8_t code)
{
    switch (code) {
    case 0xF1: return CommandKind::ReadInfo;
    case 0xF2: return CommandKind::ReadPage;
    case 0xF5: return CommandKind::SetSpeed;
    case 0xF6: return CommandKind::RangeChecksum;
    default: return CommandKind::Any;
    }
}

void decodeAddressField(const std::vector<std::uint8_t>& frame, Exchange& exchange)
{
    exchange.address = static_cast<std::uint32_t>(frame[1]) | (static_cast<std::uint32_t>(frame[2]) << 8)
        | (static_cast<std::uint32_t>(frame[3] & 0x7F) << 16);
    exchange.space = (frame[3] & 0x80) ? 1 : 0;
}

void appendCrc(std::vector<std::uint8_t>& bytes)
{
    const std::uint16_t crc = rs485::crc16Bytes(bytes.data(), bytes.size());
    bytes.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(crc >> 8));
}

} // namespace

PanelLoader::PanelLoader(PanelMemory memory) : panelMemory(std::move(memory)) {}

void PanelLoader::setMemory(const PanelMemory& memory)
{
    std::lock_guard<std::mutex> lock(mutex);
    panelMemory = memory;
}

void PanelLoader::setLoaderVersion(std::uint8_t version)
{
    std::lock_guard<std::mutex> lock(mutex);
    loaderVersion = version;
}

void PanelLoader::setPageSize(std::uint16_t size)
{
    std::lock_guard<std::mutex> lock(mutex);
    pageBytes = size;
}

void PanelLoader::setDeviceType(const std::string& type)
{
    std::lock_guard<std::mutex> lock(mutex);
    deviceType = type;
}

void PanelLoader::setRawInfoBlock(const std::vector<std::uint8_t>& block)
{
    std::lock_guard<std::mutex> lock(mutex);
    rawInfo = block;
}

void PanelLoader::setRangeChecksum(int space, std::uint32_t address, std::uint32_t length,
                                   std::uint32_t value)
{
    std::lock_guard<std::mutex> lock(mutex);
    recordedChecksums.push_back({space, address, length, value});
}

std::vector<std::uint8_t> PanelLoader::infoBlock() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return composeInfo();
}

std::uint16_t PanelLoader::pageSize() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return pageBytes;
}

std::vector<std::uint8_t> PanelLoader::composeInfo() const
{
    if (rawInfo)
        return *rawInfo;
    std::vector<std::uint8_t> block(infoBlockSize, 0);
    block[0] = loaderVersion;
    block[4] = static_cast<std::uint8_t>(pageBytes & 0xFF);
    block[5] = static_cast<std::uint8_t>(pageBytes >> 8);
    // Blocks after version 17 keep byte 15 for something else.
    const std::size_t room = loaderVersion <= 17 ? 8 : 6;
    for (std::size_t i = 0; i < room && i < deviceType.size(); ++i)
        block[8 + i] = static_cast<std::uint8_t>(deviceType[i]);
    return block;
}

void PanelLoader::addFault(const FaultRule& rule)
{
    std::lock_guard<std::mutex> lock(mutex);
    rules.push_back(rule);
}

void PanelLoader::clearFaults()
{
    std::lock_guard<std::mutex> lock(mutex);
    rules.clear();
}

void PanelLoader::setRandomFaults(std::uint32_t seed, double probability)
{
    std::lock_guard<std::mutex> lock(mutex);
    randomOn = true;
    randomProbability = probability;
    random.seed(seed);
}

void PanelLoader::disableRandomFaults()
{
    std::lock_guard<std::mutex> lock(mutex);
    randomOn = false;
}

std::uint32_t PanelLoader::lineSpeed() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return speed;
}

void PanelLoader::setLineSpeed(std::uint32_t baud)
{
    std::lock_guard<std::mutex> lock(mutex);
    speed = baud;
}

std::vector<int> PanelLoader::speedDivisors() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return divisors;
}

std::uint32_t PanelLoader::requestedSpeed() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return divisors.empty() ? 0 : speedForDivisor(divisors.back());
}

std::uint32_t PanelLoader::speedForDivisor(int divisor)
{
    return speedClock / static_cast<std::uint32_t>((divisor & 0xFF) + 1);
}

std::vector<Exchange> PanelLoader::log() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return exchanges;
}

std::size_t PanelLoader::commandCount() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return received;
}

void PanelLoader::clearLog()
{
    std::lock_guard<std::mutex> lock(mutex);
    exchanges.clear();
}

const std::vector<std::uint8_t>* PanelLoader::region(int space, std::uint32_t address,
                                                     std::uint32_t& start) const
{
    struct Region {
        int space;
        std::uint32_t start;
        const std::vector<std::uint8_t>* bytes;
    };
    const Region regions[] = {
        {PanelMemory::settingsSpace, PanelMemory::settingsStart, &panelMemory.settings},
        {PanelMemory::configSpace, PanelMemory::configStart, &panelMemory.config},
        {PanelMemory::archiveSpace, PanelMemory::archiveStart, &panelMemory.archive},
    };
    for (const Region& r : regions) {
        if (r.space == space && address >= r.start && address - r.start < r.bytes->size()) {
            start = r.start;
            return r.bytes;
        }
    }
    return nullptr;
}

PanelLoader::Answer PanelLoader::answer(Exchange& exchange)
{
    if (!exchange.checksumValid)
        return {statusBadChecksum, {}};

    std::uint32_t start = 0;
    switch (exchange.kind) {
    case CommandKind::ReadInfo:
        return {statusSuccess, composeInfo()};
    case CommandKind::ReadPage: {
        const std::vector<std::uint8_t>* bytes = region(exchange.space, exchange.address, start);
        const std::uint32_t offset = exchange.address - start;
        if (!bytes || (pageBytes != 0 && offset % pageBytes != 0))
            return {statusBadAddress, {}};
        std::vector<std::uint8_t> page(pageBytes, erased);
        for (std::size_t i = 0; i < page.size() && offset + i < bytes->size(); ++i)
            page[i] = (*bytes)[offset + i];
        return {statusSuccess, page};
    }
    case CommandKind::RangeChecksum: {
        const std::vector<std::uint8_t>* bytes = region(exchange.space, exchange.address, start);
        if (!bytes)
            return {statusBadAddress, {}};
        const std::uint32_t offset = exchange.address - start;
        std::uint32_t sum = 0;
        for (std::uint32_t i = 0; i < exchange.length; ++i)
            sum += offset + i < bytes->size() ? (*bytes)[offset + i] : erased;
        for (const RecordedChecksum& recorded : recordedChecksums)
            if (recorded.space == exchange.space && recorded.address == exchange.address
                && recorded.length == exchange.length)
                sum = recorded.value;
        return {statusSuccess,
                {static_cast<std::uint8_t>(sum), static_cast<std::uint8_t>(sum >> 8),
                 static_cast<std::uint8_t>(sum >> 16), static_cast<std::uint8_t>(sum >> 24)}};
    }
    case CommandKind::SetSpeed:
    case CommandKind::Any:
        break;
    }
    return {statusSuccess, {}};
}

int PanelLoader::countOf(CommandKind kind) const
{
    if (kind == CommandKind::Any)
        return static_cast<int>(received);
    return kindCounts[static_cast<int>(kind)];
}

std::optional<Fault> PanelLoader::pickFault(const Exchange& exchange)
{
    for (const FaultRule& rule : rules) {
        if (rule.command != CommandKind::Any && rule.command != exchange.kind)
            continue;
        const int n = countOf(rule.command);
        if (n >= rule.first && (rule.count < 0 || n < rule.first + rule.count))
            return rule.fault;
    }
    if (randomOn) {
        const double draw = static_cast<double>(random() >> 8) / static_cast<double>(1u << 24);
        if (draw < randomProbability)
            return randomFault();
    }
    return std::nullopt;
}

Fault PanelLoader::randomFault()
{
    static const std::uint8_t refusals[] = {0xA1, 0xA2, 0xA3, 0x5A};
    switch (random() % 5) {
    case 0: return Fault::silent();
    case 1: return Fault::statusOnly();
    case 2: return Fault::truncate(1 + random() % 16);
    case 3: return Fault::flipBit(random() % 8, static_cast<int>(random() % 8));
    default: return Fault::answerStatus(refusals[random() % 4]);
    }
}

LoaderReply PanelLoader::handle(const std::vector<std::uint8_t>& frame, std::uint32_t baudRate,
                                std::size_t skippedBefore)
{
    std::lock_guard<std::mutex> lock(mutex);
    LoaderReply reply;
    if (frame.empty())
        return reply;

    Exchange exchange;
    exchange.sequence = ++received;
    exchange.kind = kindOf(frame[0]);
    exchange.frame = frame;
    exchange.baudRate = baudRate;
    exchange.skippedBefore = skippedBefore;
    if (exchange.kind != CommandKind::Any)
        ++kindCounts[static_cast<int>(exchange.kind)];

    const bool complete = exchange.kind != CommandKind::Any
        && frame.size() == CommandFramer::commandLength(frame[0]);
    exchange.checksumValid = complete && rs485::crc16Bytes(frame.data(), frame.size()) == 0;
    if (complete) {
        if (exchange.kind == CommandKind::ReadPage || exchange.kind == CommandKind::RangeChecksum)
            decodeAddressField(frame, exchange);
        if (exchange.kind == CommandKind::RangeChecksum)
            exchange.length = static_cast<std::uint32_t>(frame[4]) | (static_cast<std::uint32_t>(frame[5]) << 8);
        if (exchange.kind == CommandKind::SetSpeed)
            exchange.divisor = frame[1];
    }
    if (lastFrame == frame && !lastClean)
        exchange.attempt = lastAttempt + 1;

    std::vector<std::uint8_t> bytes;
    if (complete) {
        const Answer a = answer(exchange);
        exchange.status = a.status;
        bytes.push_back(a.status);
        bytes.insert(bytes.end(), a.data.begin(), a.data.end());
        appendCrc(bytes);
    }

    exchange.fault = pickFault(exchange);
    // The loader acts on a command only when its own answer goes out, whole
    // or damaged on the way; a refusal, silence or a dead line changes nothing.
    bool acted = complete;
    if (exchange.fault) {
        const Fault& f = *exchange.fault;
        switch (f.kind) {
        case Fault::Kind::Silent:
            bytes.clear();
            acted = false;
            break;
        case Fault::Kind::StatusOnly:
            bytes.resize(std::min<std::size_t>(bytes.size(), 1));
            break;
        case Fault::Kind::Truncate:
            bytes.resize(std::min(bytes.size(), f.keep));
            break;
        case Fault::Kind::FlipBit:
            if (!bytes.empty())
                bytes[std::min(f.byteIndex, bytes.size() - 1)] ^= static_cast<std::uint8_t>(1u << (f.bit & 7));
            break;
        case Fault::Kind::Status:
            bytes = {f.status};
            appendCrc(bytes);
            acted = false;
            break;
        case Fault::Kind::FailWrite:
            reply.portFault = LoaderReply::PortFault::FailWrite;
            break;
        case Fault::Kind::FailRead:
            reply.portFault = LoaderReply::PortFault::FailRead;
            break;
        case Fault::Kind::FailPort:
            reply.portFault = LoaderReply::PortFault::FailPort;
            bytes.clear();
            acted = false;
            break;
        case Fault::Kind::HangUp:
            reply.portFault = LoaderReply::PortFault::HangUp;
            bytes.clear();
            acted = false;
            break;
        }
    }

    // The loader answers at the old speed and switches afterwards.
    if (acted && exchange.kind == CommandKind::SetSpeed && exchange.status == statusSuccess) {
        divisors.push_back(exchange.divisor);
        speed = speedForDivisor(exchange.divisor);
    }

    lastFrame = frame;
    lastClean = !exchange.fault && exchange.status == statusSuccess;
    lastAttempt = exchange.attempt;
    exchanges.push_back(std::move(exchange));
    reply.bytes = std::move(bytes);
    return reply;
}

} // namespace panel_sim
