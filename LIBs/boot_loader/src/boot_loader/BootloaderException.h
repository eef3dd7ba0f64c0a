#pragma once

#include <cstdint>
#include <exception>

namespace boot_loader {

// The one failure that leaves the loader layer: a small code with a fixed
// message each.
class BootloaderException : public std::exception {
public:
    enum Code : std::int32_t {
        NoConverter = 0,
        NoDevice = 1,
        AnswerChecksum = 2,
        CommandChecksum = 3,
        CommandAddress = 4,
        LoaderInternal = 5,
        AnswerFormat = 6,
        Cancelled = 7, // not the loader's: the user stopped the read
    };

    explicit BootloaderException(std::int32_t code) : errorCode(code) {}
    ~BootloaderException() override = default;

    const char* what() const noexcept override;
    virtual std::int32_t code() const noexcept { return errorCode; }

    // The message of any code; codes outside the table share one text.
    static const char* message(std::int32_t code) noexcept;

private:
    std::int32_t errorCode;
};

} // namespace boot_loader
