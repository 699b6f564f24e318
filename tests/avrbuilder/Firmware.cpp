#include "Firmware.h"

#include <cstdlib>
#include <cstring>

extern "C" {
#include "avr_ioport.h"
#include "sim_avr.h"
#include "sim_hex.h"
#include "sim_io.h"
}

namespace zo::test {

namespace {

// Data memory address of PORTA..PORTD.
int portRegister(char port) {
    switch (port) {
    case 'A': return 0x3B;
    case 'B': return 0x38;
    case 'C': return 0x35;
    case 'D': return 0x32;
    default: return -1;
    }
}

}  // namespace

Firmware::Firmware(const std::string& hexPath) {
    // Every .org of the image starts a chunk of its own.
    ihex_chunk_p chunks = nullptr;
    const int count = read_ihex_chunks(hexPath.c_str(), &chunks);
    if (count <= 0) return;
    avr_ = avr_make_mcu_by_name("atmega128");
    bool fits = avr_ && avr_init(avr_) == 0;
    if (fits) {
        image_.assign(size_t(avr_->flashend) + 1, 0xFF);
        for (int i = 0; i < count && fits; ++i) {
            fits = size_t(chunks[i].baseaddr) + chunks[i].size <= image_.size();
            if (fits) std::memcpy(image_.data() + chunks[i].baseaddr, chunks[i].data, chunks[i].size);
        }
    }
    free_ihex_chunks(chunks);
    if (!fits) return;
    avr_->frequency = kClock;
    avr_->log = 0;
    std::memcpy(avr_->flash, image_.data(), image_.size());
    avr_->codeend = avr_->flashend;
    avr_->pc = 0;
    loaded_ = true;
}

Firmware::~Firmware() {
    if (avr_) {
        avr_terminate(avr_);
        std::free(avr_);
    }
}

uint16_t Firmware::word(uint32_t address) const {
    const size_t at = size_t(address) * 2;
    if (at + 1 >= image_.size()) return 0xFFFF;
    return uint16_t(image_[at] | (image_[at + 1] << 8));
}

void Firmware::setPin(char port, int bit, bool high) {
    avr_raise_irq(avr_io_getirq(avr_, AVR_IOCTL_IOPORT_GETIRQ(port), bit), high ? 1 : 0);
}

bool Firmware::output(char port, int bit) const {
    const int reg = portRegister(port);
    return reg >= 0 && (avr_->data[reg] >> bit) & 1;
}

bool Firmware::run(uint64_t cycles) {
    const uint64_t target = avr_->cycle + cycles;
    while (avr_->cycle < target) {
        const int state = avr_run(avr_);
        if (state == cpu_Done || state == cpu_Crashed) return false;
    }
    return true;
}

uint8_t Firmware::ram(uint32_t address) const { return address <= avr_->ramend ? avr_->data[address] : 0; }

uint64_t Firmware::cycle() const { return avr_->cycle; }

}  // namespace zo::test
