#pragma once

#include <boot_loader/BootloaderException.h>
#include <boot_loader/BootloaderProtocol.h>
#include <panel_sim/SimulatedPanel.h>
#include <rs485/Byte9Stream.h>
#include <rs485/RS485Connection.h>
#include <rs485/testing/FakeSerialPlatform.h>

#include <cstdint>
#include <vector>

// A protocol on a port opened at 19200 baud with the simulated panel on the
// far side of the test double.
struct LoaderLine {
    using Kind = rs485::testing::FakeSerialPlatform::Kind;

    rs485::testing::FakeSerialPlatform platform;
    panel_sim::SimulatedPanel panel{platform};
    rs485::RS485Connection connection{platform};
    rs485::Byte9Stream stream{connection};
    boot_loader::BootloaderProtocol protocol{stream};

    // The call log starts after the open, with what the protocol does.
    LoaderLine()
    {
        connection.open("COM1", 19200);
        platform.clearCalls();
    }

    // The bytes of every write, in order, with the parity each went out under.
    struct Write {
        std::vector<std::uint8_t> bytes;
        rs485::Parity parity;
    };
    std::vector<Write> writes() const
    {
        std::vector<Write> result;
        for (const auto& call : platform.callsOf(Kind::Write))
            result.push_back({call.data, call.parity});
        return result;
    }

    std::vector<std::uint32_t> timeoutsSet() const
    {
        std::vector<std::uint32_t> result;
        for (const auto& call : platform.callsOf(Kind::SetTimeouts))
            result.push_back(call.timeouts.totalConstantMs);
        return result;
    }
};

// Expects the code of the BootloaderException that the call throws.
template <typename Call>
int loaderErrorCode(Call call)
{
    try {
        call();
    } catch (const boot_loader::BootloaderException& e) {
        return e.code();
    }
    return -100;
}
