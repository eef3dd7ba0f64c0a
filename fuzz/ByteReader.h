#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// Takes a fuzz input apart from the front. Past its end every read gives 0,
// so any input, however short, describes something.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool atEnd() const { return position >= size; }
    std::size_t remaining() const { return atEnd() ? 0 : size - position; }

    std::uint8_t byte() { return atEnd() ? 0 : data[position++]; }
    std::uint16_t word()
    {
        const std::uint16_t low = byte();
        return static_cast<std::uint16_t>(low | (byte() << 8));
    }
    // Up to count bytes; fewer when the input ends.
    std::vector<std::uint8_t> bytes(std::size_t count)
    {
        const std::size_t n = count < remaining() ? count : remaining();
        std::vector<std::uint8_t> out(data + position, data + position + n);
        position += n;
        return out;
    }
    // A length byte (below limit) and that many UTF-16 code units of any value.
    std::u16string text(std::size_t limit)
    {
        const std::size_t length = byte() % limit;
        std::u16string out;
        for (std::size_t i = 0; i < length && !atEnd(); ++i)
            out.push_back(static_cast<char16_t>(word()));
        return out;
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position = 0;
};

// Writes what ByteReader takes apart, for seeds of the corpus.
class ByteWriter {
public:
    void byte(std::uint8_t value) { out.push_back(value); }
    void word(std::uint16_t value)
    {
        byte(static_cast<std::uint8_t>(value));
        byte(static_cast<std::uint8_t>(value >> 8));
    }
    void bytes(const std::vector<std::uint8_t>& values) { out.insert(out.end(), values.begin(), values.end()); }
    // The text cut to what a length byte below limit can say.
    void text(const std::u16string& value, std::size_t limit)
    {
        const std::size_t length = value.size() < limit ? value.size() : limit - 1;
        byte(static_cast<std::uint8_t>(length));
        for (std::size_t i = 0; i < length; ++i)
            word(static_cast<std::uint16_t>(value[i]));
    }

    const std::vector<std::uint8_t>& data() const { return out; }

private:
    std::vector<std::uint8_t> out;
};

} // namespace fuzz
