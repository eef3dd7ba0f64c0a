#include "ReadModel.h"

#include <boot_loader/BootloaderException.h>

#include <utility>

namespace soak {

using panel_sim::CommandKind;
using panel_sim::Fault;

namespace {

using Loader = boot_loader::BootloaderException;

constexpr int attempts = 3;
constexpr int pages = 1 + 190 + 256;
constexpr int rangeChecksums = 2;

// The facade's translation of a loader code.
std::uint32_t configuratorCode(int loaderCode)
{
    switch (loaderCode) {
    case Loader::NoConverter: return 0;
    case Loader::NoDevice: return 1;
    case Loader::AnswerChecksum:
    case Loader::CommandChecksum:
    case Loader::AnswerFormat: return 2;
    case Loader::LoaderInternal: return 5;
    default: return 7;
    }
}

int index(CommandKind kind)
{
    return static_cast<int>(kind);
}

} // namespace

int answerLength(CommandKind kind)
{
    switch (kind) {
    case CommandKind::ReadInfo: return 3 + 16;
    case CommandKind::ReadPage: return 3 + 256;
    case CommandKind::RangeChecksum: return 3 + 4;
    default: return 3;
    }
}

ReadModel::ReadModel(std::vector<PlannedFault> plan, bool turbo) : plan(std::move(plan)), turbo(turbo) {}

std::optional<std::uint32_t> ReadModel::run()
{
    if (const auto code = command(CommandKind::ReadInfo))
        return configuratorCode(*code);

    std::optional<int> failure;
    if (turbo) {
        failure = command(CommandKind::SetSpeed, fastBaud);
        if (!failure)
            clientBaud = fastBaud;
    }
    for (int i = 0; i < pages && !failure; ++i)
        failure = command(CommandKind::ReadPage);
    for (int i = 0; i < rangeChecksums && !failure; ++i)
        failure = command(CommandKind::RangeChecksum);
    leaveTurbo();
    if (failure)
        return configuratorCode(*failure);
    return std::nullopt;
}

void ReadModel::leaveTurbo()
{
    if (turbo && !command(CommandKind::SetSpeed, normalBaud))
        clientBaud = normalBaud;
}

std::optional<int> ReadModel::command(CommandKind kind, std::uint32_t switchesTo)
{
    for (int n = 1;; ++n) {
        const std::optional<int> code = attempt(kind, switchesTo);
        if (!code || *code == Loader::NoConverter || n >= attempts)
            return code;
        // Only a silent first attempt makes the next one wake the loader;
        // the wake-up block changes nothing the panel counts.
    }
}

std::optional<Fault> ReadModel::faultFor(CommandKind kind) const
{
    for (const PlannedFault& rule : plan) {
        if (rule.command != CommandKind::Any && rule.command != kind)
            continue;
        const int n = rule.command == CommandKind::Any ? received : receivedOf[index(kind)];
        if (n >= rule.first && (rule.count < 0 || n < rule.first + rule.count))
            return rule.fault;
    }
    return std::nullopt;
}

std::optional<int> ReadModel::attempt(CommandKind kind, std::uint32_t switchesTo)
{
    // The wake-up block and the command are writes; a failing one ends the
    // exchange before the panel hears anything.
    if (writeFails)
        return Loader::NoConverter;

    // At another speed than the panel's the command is noise to it.
    const bool heard = clientBaud == panelBaud;
    std::optional<Fault> fault;
    if (heard) {
        ++received;
        ++receivedOf[index(kind)];
        fault = faultFor(kind);
        bool acted = true;
        if (fault) {
            switch (fault->kind) {
            case Fault::Kind::Silent:
            case Fault::Kind::Status:
                acted = false;
                break;
            case Fault::Kind::FailWrite:
                writeFails = true;
                break;
            case Fault::Kind::FailRead:
                readFails = true;
                break;
            case Fault::Kind::FailPort:
            case Fault::Kind::HangUp:
                writeFails = readFails = true;
                acted = false;
                break;
            default:
                break;
            }
        }
        if (acted && switchesTo != 0)
            panelBaud = switchesTo;
    }

    if (readFails)
        return Loader::NoConverter;
    if (!heard)
        return Loader::NoDevice;
    if (!fault)
        return std::nullopt;
    switch (fault->kind) {
    case Fault::Kind::Silent:
    case Fault::Kind::StatusOnly:
        return Loader::NoDevice;
    case Fault::Kind::Truncate:
        if (fault->keep < static_cast<std::size_t>(answerLength(kind)))
            return Loader::NoDevice;
        return std::nullopt;
    case Fault::Kind::FlipBit:
        // One flipped bit breaks the checksum. In the status byte it also
        // turns a success into a refusal of three bytes, whose checksum
        // (over two data bytes) holds only by a 1 in 65536 chance.
        return Loader::AnswerChecksum;
    case Fault::Kind::Status:
        switch (fault->status) {
        case 0xA1: return Loader::CommandChecksum;
        case 0xA2: return Loader::CommandAddress;
        case 0xA3: return Loader::LoaderInternal;
        default: return Loader::AnswerFormat;
        }
    default:
        // FailWrite: this answer still arrives.
        return std::nullopt;
    }
}

} // namespace soak
