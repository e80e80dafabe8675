// The regression driver: feeds every file of the folders named on the command line to the
// fuzz target once, so that the seeds and every input that once broke an invariant run in
// ctest with any compiler. A broken invariant aborts, which fails the test.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

namespace fs = std::filesystem;

// Files whose names start with "." (.gitkeep) only hold a folder in git.
std::vector<fs::path> inputsIn(const fs::path& folder, std::error_code& error)
{
    std::vector<fs::path> files;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        if (it->is_regular_file() && it->path().filename().string().front() != '.')
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER...  (runs every file in each folder)\n", argv[0]);
        return 2;
    }
    std::size_t total = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        const std::vector<fs::path> files = inputsIn(argv[i], error);
        if (error) {
            std::fprintf(stderr, "cannot list the inputs in %s: %s\n", argv[i],
                         error.message().c_str());
            return 2;
        }
        for (const fs::path& file : files) {
            std::ifstream in(file, std::ios::binary);
            const std::vector<char> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
            if (!in.good() && !in.eof()) {
                std::fprintf(stderr, "cannot read %s\n", file.c_str());
                return 2;
            }
            std::fprintf(stderr, "running %s (%zu bytes)\n", file.c_str(), bytes.size());
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        }
        std::printf("%zu inputs from %s\n", files.size(), argv[i]);
        total += files.size();
    }
    if (total == 0) {
        std::fprintf(stderr, "no inputs found: the corpus folders are empty\n");
        return 1;
    }
    std::printf("all %zu inputs passed\n", total);
    return 0;
}
