#pragma once

#include <exception>

namespace rs485 {

// The operating system rejected a read or a write on the open port: the
// converter is gone.
class DisconnectException : public std::exception {
public:
    ~DisconnectException() override = default;
    const char* what() const noexcept override;
};

// Fewer bytes arrived than were asked for within the read time-out.
class ReceiveTimeoutException : public std::exception {
public:
    ~ReceiveTimeoutException() override = default;
    const char* what() const noexcept override;
};

} // namespace rs485
