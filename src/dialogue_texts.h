// The dialogue's texts, byte for byte, and the fields they go with: the
// banner, the five prompts of a cycle, the dashed line, and the report,
// each value after its text, closed by the wavelength's unit, the dashed
// line and an empty line. The dialogue writes them (dialogue.cpp), and so
// do the benchmarks' renditions of it.
#pragma once

#include <string_view>

#include "star_pair.h"

namespace kestrion::texts {

using Field = float StarPairValues::*;

inline constexpr std::string_view kBanner = "\n<<< Kestrion : Ver 2.00 >>>\n\nExit with CTRL+C\n\n";

// The five prompts of a cycle, in order, each with the field it reads.
struct Prompt {
    std::string_view text;
    Field field;
};
inline constexpr Prompt kPrompts[] = {
    {"star1 radius (0-1) : ", &StarPairValues::star1_radius},
    {"star2 radius (0-1) : ", &StarPairValues::star2_radius},
    {"star1 temperature  : ", &StarPairValues::star1_temperature},
    {"star2 temperature  : ", &StarPairValues::star2_temperature},
    {"wavelength (Angstrom) : ", &StarPairValues::wavelength_angstrom},
};

// 40 hyphens: after the prompts, and closing each report.
inline constexpr std::string_view kDashLine = "----------------------------------------\n";

// The report: each value printed as "%f" after its text, then the closing
// text: the unit, the dashed line and an empty line.
struct ReportValue {
    std::string_view before;
    Field field;
};
inline constexpr ReportValue kReport[] = {
    {"Radius\n    star1=", &StarPairValues::star1_radius},
    {"\n    star2=", &StarPairValues::star2_radius},
    {"\nTemperture\n    star1=", &StarPairValues::star1_temperature},
    {"\n    star2=", &StarPairValues::star2_temperature},
    {"\nLuminosity\n    star1=", &StarPairValues::star1_share},
    {"\n    star2=", &StarPairValues::star2_share},
    {"\nWaveLength ", &StarPairValues::wavelength_angstrom},
};
inline constexpr std::string_view kWavelengthUnit = " (Angstrom)\n";
inline constexpr std::string_view kReportEnd[] = {kWavelengthUnit, kDashLine, "\n"};

}  // namespace kestrion::texts
