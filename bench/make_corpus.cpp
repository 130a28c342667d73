// Writes a benchmark corpus to standard output: orvani-corpus old|new|script BYTES [SEED]

#include "corpus.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[]) {
    using orvani::Standard;
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: orvani-corpus old|new|script BYTES [SEED]\n");
        return 2;
    }
    const std::string name = argv[1];
    const Standard standard = name == "old"   ? Standard::Old
                              : name == "new" ? Standard::New
                                              : Standard::Script;
    const auto bytes = static_cast<std::size_t>(std::strtoull(argv[2], nullptr, 10));
    orvani::bench::Corpus corpus(argc == 4 ? std::strtoull(argv[3], nullptr, 10) : 20261208);
    bool ok = true;
    corpus.write(standard, bytes, [&](std::string_view piece) {
        ok = ok && std::fwrite(piece.data(), 1, piece.size(), stdout) == piece.size();
    });
    return ok && std::fflush(stdout) == 0 ? 0 : 1;
}
