// Replays fuzzer inputs through the fuzz target without libFuzzer: every file named on the command
// line, or found in a folder named there, is one input. Used by CTest on the seed corpus.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size);

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    std::vector<fs::path> Files;
    for (int i = 1; i < argc; ++i) {
        if (fs::is_directory(argv[i])) {
            for (const auto& E : fs::directory_iterator(argv[i]))
                if (E.is_regular_file()) Files.push_back(E.path());
        } else {
            Files.emplace_back(argv[i]);
        }
    }
    if (Files.empty()) {
        std::fprintf(stderr, "no inputs\n");
        return 1;
    }
    for (const fs::path& F : Files) {
        std::ifstream In(F, std::ios::binary);
        const std::string Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(Bytes.data()), Bytes.size());
    }
    std::printf("replayed %zu inputs\n", Files.size());
    return 0;
}
