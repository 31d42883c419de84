// The dialogue's own texts, byte for byte.
#pragma once

#include <string_view>

namespace kestrion {

inline constexpr std::string_view kBanner = "\n<<< Kestrion : Ver 2.00 >>>\n\nExit with CTRL+C\n\n";

// The five prompts of a cycle, in order: the radii, the temperatures, the wavelength.
inline constexpr std::string_view kPromptTexts[] = {
    "star1 radius (0-1) : ",
    "star2 radius (0-1) : ",
    "star1 temperature  : ",
    "star2 temperature  : ",
    "wavelength (Angstrom) : ",
};

// 40 hyphens: after the prompts, and closing each report.
inline constexpr std::string_view kDashes = "----------------------------------------\n";

}  // namespace kestrion
