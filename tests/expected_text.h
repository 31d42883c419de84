// Expected transcripts, written out here rather than taken from the
// program, so that a changed byte fails; the transcript test checks that
// these pieces put together are the golden session in data/.
#pragma once

#include <iterator>
#include <string>

namespace kestrion::testing {

inline const std::string kBannerText = "\n<<< Kestrion : Ver 2.00 >>>\n\nExit with CTRL+C\n\n";
inline const std::string kPromptTexts[] = {
    "star1 radius (0-1) : ", "star2 radius (0-1) : ", "star1 temperature  : ",
    "star2 temperature  : ", "wavelength (Angstrom) : ",
};
inline const std::string kFirstPrompt = kPromptTexts[0];
inline const std::string kDashLine = "----------------------------------------\n";
inline const std::string kOverflowText = "\r\npow: OVERFLOW error\r\n";
// The first `count` prompts of a cycle, as written back to back.
inline std::string first_prompts(size_t count) {
    std::string some;
    for (size_t i = 0; i < count; ++i) some += kPromptTexts[i];
    return some;
}
inline const std::string kPrompts = first_prompts(std::size(kPromptTexts));
// What the input ending at a cycle's first prompt leaves: that prompt and a line end.
inline const std::string kEndAtFirstPrompt = kFirstPrompt + "\n";

// One report, from the seven printed values in report order.
inline std::string report(const std::string& r1, const std::string& r2, const std::string& t1, const std::string& t2,
                          const std::string& s1, const std::string& s2, const std::string& wavelength) {
    return "Radius\n    star1=" + r1 + "\n    star2=" + r2 + "\nTemperture\n    star1=" + t1 + "\n    star2=" + t2 +
           "\nLuminosity\n    star1=" + s1 + "\n    star2=" + s2 + "\nWaveLength " + wavelength + " (Angstrom)\n" +
           kDashLine + "\n";
}

// A typical pair (first reference row): typed values, and the report they give.
inline const std::string kTypicalInput = "0.585 0.9655985959905 9.1292e+03 13270.027243044078 5.213010e+03\n";
inline const std::string kTypicalReport =
    report("0.585000", "0.965599", "9129.200195", "13270.027344", "0.116164", "0.883836", "5213.009766");

// A cold first star: its power function overflows.
inline const std::string kColdInput = "1 1 202.70840454101562 5800 1000\n";
inline const std::string kColdReport =
    report("1.000000", "1.000000", "202.708405", "5800.000000", "0.000000", "1.000000", "1000.000000");

}  // namespace kestrion::testing
