#pragma once

#include <cstdint>
#include <vector>

namespace rs485 {

class RS485Connection;

// Nine-bit characters over a UART: runs of equal ninth bit are written in one
// piece with the parity set for the run. Reads deliver plain bytes.
class Byte9Stream {
public:
    explicit Byte9Stream(RS485Connection& connection);
    ~Byte9Stream();

    Byte9Stream(const Byte9Stream&) = delete;
    Byte9Stream& operator=(const Byte9Stream&) = delete;

    Byte9Stream& operator<<(const std::vector<std::uint16_t>& characters);
    Byte9Stream& operator<<(const std::vector<std::uint8_t>& bytes);
    Byte9Stream& operator>>(std::uint8_t& byte);
    Byte9Stream& operator>>(std::vector<std::uint8_t>& bytes);
    Byte9Stream& operator>>(std::vector<std::uint16_t>& characters);

    RS485Connection& port() const { return *connection; }
    int pendingCount() const { return pending; }

private:
    static constexpr int bufferSize = 512;

    void flush();

    RS485Connection* connection;
    std::uint8_t writeBuffer[bufferSize] = {};
    std::int32_t pending = 0;
    std::vector<std::uint8_t> readBuffer;
    bool pendingNinthBit = false;
};

} // namespace rs485
