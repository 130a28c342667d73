// Prints the Old text of a UTF-8 file in the New standard:  convert_file FILE
#include <orvani/pipeline.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: convert_file FILE\n";
        return 2;
    }
    std::ifstream file(argv[1], std::ios::binary);
    const std::string text(std::istreambuf_iterator<char>(file), {});
    if (!file.is_open() || file.bad()) {
        std::cerr << argv[1] << ": cannot read the file\n";
        return 1;
    }
    const auto result = orvani::ConvertUtf8(text, orvani::Standard::Old, orvani::Standard::New);
    std::cout << result.text; // all of it, or the text before an invalid sequence
    if (!result.ok()) {
        std::cerr << argv[1] << ": invalid UTF-8 at byte " << result.position << '\n';
        return 1;
    }
    return 0;
}
