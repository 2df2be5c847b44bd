#pragma once
// The toolkit's colour: 32-bit ARGB, as the package writes it and cairo
// draws it. The default is 0, transparent black, which is also what a
// malformed colour text gives.
#include <cstdint>
#include <string_view>

namespace Vcl {

class Color {
public:
    constexpr Color() = default;
    static constexpr Color FromArgb(uint32_t argb) { return Color(argb); }
    // Native order 0x00BBGGRR carries no alpha: the colour is opaque.
    static constexpr Color FromNative(uint32_t bgr) {
        return Color(0xFF000000u | (bgr & 0xFF) << 16 | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF));
    }
    // The package form "#p1p2p3[,AA]": red = p3, green = p2, blue = p1; alpha
    // is the hex after the last ',' that follows the last '#' (its low byte,
    // 0xFF when absent). Transparent black when shorter than 7 characters,
    // without '#', or with fewer than 6 characters after the last '#'.
    static Color Parse(std::string_view text);

    constexpr uint32_t argb() const { return argb_; }
    // 0x00BBGGRR, alpha dropped.
    constexpr uint32_t native() const {
        return (argb_ & 0xFF) << 16 | (argb_ & 0xFF00) | ((argb_ >> 16) & 0xFF);
    }
    constexpr Color withAlpha(uint8_t alpha) const {
        return Color((argb_ & 0x00FFFFFFu) | uint32_t(alpha) << 24);
    }

    constexpr uint8_t alpha() const { return uint8_t(argb_ >> 24); }
    constexpr uint8_t red() const { return uint8_t(argb_ >> 16); }
    constexpr uint8_t green() const { return uint8_t(argb_ >> 8); }
    constexpr uint8_t blue() const { return uint8_t(argb_); }
    // Channels as cairo takes them, 0..1.
    constexpr double alphaF() const { return alpha() / 255.0; }
    constexpr double redF() const { return red() / 255.0; }
    constexpr double greenF() const { return green() / 255.0; }
    constexpr double blueF() const { return blue() / 255.0; }

    constexpr bool operator==(const Color&) const = default;

private:
    explicit constexpr Color(uint32_t argb) : argb_(argb) {}
    uint32_t argb_ = 0;
};

}  // namespace Vcl
