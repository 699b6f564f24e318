#pragma once
// An ATmega128 in simavr running a firmware image: input pins driven, output
// port registers read, time counted in clock cycles (8 MHz).

#include <cstdint>
#include <string>
#include <vector>

struct avr_t;

namespace zo::test {

class Firmware {
public:
    static constexpr uint32_t kClock = 8000000;

    explicit Firmware(const std::string& hexPath);
    ~Firmware();
    Firmware(const Firmware&) = delete;
    Firmware& operator=(const Firmware&) = delete;

    bool loaded() const { return loaded_; }
    // The program word at a word address.
    uint16_t word(uint32_t address) const;
    // Drives input pin bit of port 'A'..'G'.
    void setPin(char port, int bit, bool high);
    // The bit of the port's output register (PORTA..PORTD).
    bool output(char port, int bit) const;
    // A byte of data memory.
    uint8_t ram(uint32_t address) const;
    // Runs the given number of cycles; false when the core stopped or crashed.
    bool run(uint64_t cycles);
    uint64_t cycle() const;

private:
    avr_t* avr_ = nullptr;
    bool loaded_ = false;
    std::vector<uint8_t> image_;
};

}  // namespace zo::test
