#pragma once

#include <rs485/Exceptions.h>
#include <rs485/SerialPlatform.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace rs485 {

class SerialPlatform;

// The one serial port of the USB-RS485 converter: fixed line settings, the
// ninth bit carried as mark/space parity, raw writes and reads with a read
// time-out. Talks to the system only through a SerialPlatform.
class RS485Connection {
public:
    RS485Connection();                                  // the native platform
    explicit RS485Connection(SerialPlatform& platform);
    ~RS485Connection();

    RS485Connection(const RS485Connection&) = delete;
    RS485Connection& operator=(const RS485Connection&) = delete;

    bool open(const std::string& portName, int baudRate);
    // Why the last open failed: Busy when the system said that another
    // program holds the port.
    OpenFailure openFailure() const;
    bool close();
    bool isOpen() const;

    void setBaudRate(int baud);
    void setReadTimeout(int milliseconds);
    int readTimeout() const;
    void setNinthBit(bool bit);
    bool ninthBitValue() const { return ninthBit; }

    // Returns the count the system accepted; 0 on a closed port.
    // Throws DisconnectException when the system rejects the write.
    int write(const std::uint8_t* data, int size);
    // Returns the count received, short after a time-out; 0 on a closed
    // port or for size 0. Throws DisconnectException on a failed read.
    int read(std::uint8_t* data, int size);

    static std::vector<std::string> serialPortNames();
    static std::vector<std::string> converterPortNames();
    // The same lists from a given platform (the connect dialog's tests).
    static std::vector<std::string> serialPortNames(SerialPlatform& platform);
    static std::vector<std::string> converterPortNames(SerialPlatform& platform);

    SerialPlatform& platform() const;

private:
    struct State;
    std::unique_ptr<State> state;
    bool ninthBit = false;
};

} // namespace rs485
