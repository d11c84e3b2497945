// SPDX-License-Identifier: GPL-3.0-or-later
// Replays a fuzzer's corpus through its entry point, for builds without libFuzzer.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *dati, std::size_t dimensione);

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "uso: %s CARTELLA_CORPUS\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> file;
    std::error_code ec;
    for (const auto &voce : std::filesystem::directory_iterator(argv[1], ec)) {
        if (voce.is_regular_file())
            file.push_back(voce.path());
    }
    if (ec || file.empty()) {
        std::fprintf(stderr, "%s: corpus mancante o vuoto\n", argv[1]);
        return 2;
    }
    std::sort(file.begin(), file.end());
    for (const auto &percorso : file) {
        std::ifstream in(percorso, std::ios::binary);
        const std::vector<char> byte{std::istreambuf_iterator<char>(in), {}};
        if (!in.eof() && in.fail()) {
            std::fprintf(stderr, "%s: illeggibile\n", percorso.c_str());
            return 2;
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t *>(byte.data()), byte.size());
    }
    std::printf("%zu ingressi riprodotti da %s\n", file.size(), argv[1]);
    return 0;
}
