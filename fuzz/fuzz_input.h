// What the fuzzers share: a failed check aborts (libFuzzer keeps the input), and the fuzzer's
// bytes are read as a stream of choices.
#ifndef QUENDALTEXT_FUZZ_FUZZ_INPUT_H
#define QUENDALTEXT_FUZZ_FUZZ_INPUT_H

#include <QuendalText/Config.h>

#include <cstdint>
#include <cstdlib>

namespace fuzz {

inline void Check(bool condition) {
    if (!condition) std::abort();
}

// The fuzzer's bytes as choices; past the end every choice is 0.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Empty() const { return position_ >= size_; }
    std::uint8_t Byte() { return position_ < size_ ? data_[position_++] : 0; }
    std::uint32_t Below(std::uint32_t bound) { return bound == 0 ? 0 : Word() % bound; }
    std::uint32_t Word() {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i) word = word << 8 | Byte();
        return word;
    }
    // Units drawn mostly from the corners: NUL, ASCII, Latin-1, both surrogate halves, U+FFFF.
    QuendalText::UTF16Unit Unit() {
        static const std::uint16_t kCorners[] = {0,      'a',    ',',    ' ',    0xE9,
                                                 0xD83D, 0xDE00, 0xDBFF, 0xDC00, 0xFFFF};
        const std::uint8_t selector = Byte();
        if (selector < 200) return static_cast<QuendalText::UTF16Unit>(kCorners[selector % 10]);
        return static_cast<QuendalText::UTF16Unit>(selector << 8 | Byte());
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

}  // namespace fuzz

#endif  // QUENDALTEXT_FUZZ_FUZZ_INPUT_H
