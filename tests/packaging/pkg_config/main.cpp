// Built with nothing but what pkg-config says about the installed library.
#include <orvani/pipeline.h>

#include <iostream>

int main() {
    std::cout
        << orvani::ConvertUtf8("Kheetsoy dhath", orvani::Standard::Old, orvani::Standard::New).text
        << '\n';
}
