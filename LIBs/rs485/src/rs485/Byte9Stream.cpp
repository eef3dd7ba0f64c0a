#include <rs485/Byte9Stream.h>

#include <rs485/Exceptions.h>
#include <rs485/RS485Connection.h>

namespace rs485 {

Byte9Stream::Byte9Stream(RS485Connection& connection)
    : connection(&connection), readBuffer(bufferSize, 0)
{
}

Byte9Stream::~Byte9Stream()
{
    if (pending > 0) {
        try {
            flush();
        } catch (const DisconnectException&) {
            // The converter is gone; there is no one left to tell.
        }
    }
}

void Byte9Stream::flush()
{
    if (pending <= 0)
        return;
    connection->setNinthBit(pendingNinthBit);
    connection->write(writeBuffer, pending);
    // Reset only after a successful write: a failed flush keeps the run.
    pending = 0;
}

Byte9Stream& Byte9Stream::operator<<(const std::vector<std::uint16_t>& characters)
{
    for (const std::uint16_t c : characters) {
        const bool bit = (c & 0x100) != 0;
        if (bit == pendingNinthBit) {
            // A full run is left over only by a flush that failed earlier.
            if (pending >= bufferSize)
                flush();
            writeBuffer[pending++] = static_cast<std::uint8_t>(c & 0xFF);
            if (pending >= bufferSize)
                flush();
        } else {
            if (pending > 0)
                flush();
            pendingNinthBit = bit;
            writeBuffer[0] = static_cast<std::uint8_t>(c & 0xFF);
            pending = 1;
        }
    }
    if (pending > 0)
        flush();
    return *this;
}

Byte9Stream& Byte9Stream::operator<<(const std::vector<std::uint8_t>& bytes)
{
    flush();
    if (pendingNinthBit) {
        pendingNinthBit = false;
        connection->setNinthBit(false);
    }
    connection->write(bytes.data(), static_cast<int>(bytes.size()));
    return *this;
}

Byte9Stream& Byte9Stream::operator>>(std::uint8_t& byte)
{
    flush();
    if (connection->read(&byte, 1) == 0)
        throw ReceiveTimeoutException();
    return *this;
}

Byte9Stream& Byte9Stream::operator>>(std::vector<std::uint8_t>& bytes)
{
    flush();
    if (bytes.empty())
        return *this;
    const int wanted = static_cast<int>(bytes.size());
    const int received = connection->read(bytes.data(), wanted);
    if (received < wanted) {
        bytes.resize(static_cast<std::size_t>(received));
        throw ReceiveTimeoutException();
    }
    return *this;
}

Byte9Stream& Byte9Stream::operator>>(std::vector<std::uint16_t>& characters)
{
    flush();
    if (characters.empty())
        return *this;
    const std::size_t wanted = characters.size();
    if (readBuffer.size() < wanted)
        readBuffer.resize(wanted);
    const int received = connection->read(readBuffer.data(), static_cast<int>(wanted));
    const std::size_t got = received > 0 ? static_cast<std::size_t>(received) : 0;
    for (std::size_t i = 0; i < got; ++i)
        characters[i] = readBuffer[i];
    if (got < wanted) {
        characters.resize(got);
        throw ReceiveTimeoutException();
    }
    return *this;
}

} // namespace rs485
