#pragma once
// What the fuzz targets share: a check that stops the run where it fails, and the
// input taken apart into counted pieces.
#include <cstddef>
#include <cstdint>
#include <string>

namespace kvtu::fuzz {

inline void require(bool condition) {
    if (!condition) __builtin_trap();
}

struct Input {
    const std::uint8_t* data;
    std::size_t size;

    std::uint8_t byte() {
        if (size == 0) return 0;
        --size;
        return *data++;
    }
    std::string bytes(std::size_t count) {
        if (count > size) count = size;
        std::string taken(reinterpret_cast<const char*>(data), count);
        data += count;
        size -= count;
        return taken;
    }
    // A piece whose length is the next byte.
    std::string counted() { return bytes(byte()); }
    std::string rest() { return bytes(size); }
};

}  // namespace kvtu::fuzz
