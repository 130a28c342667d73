#include <orvani/pipeline.h>
#include <orvani/version.h>

#include <iostream>

int main() {
    const std::u32string text =
        orvani::ConvertText(U"Kheetsoy dhath", orvani::Standard::Old, orvani::Standard::Script, {});
    std::string ascii(text.begin(), text.end()); // Script text here is ASCII
    std::cout << orvani::kVersion << ' ' << ascii << '\n';
    return ascii == "kExO dqT" ? 0 : 1;
}
