// Runs a fuzz target once on every file of the corpus directories given, so the cases
// fuzzing found stay checked in the normal test run (under the sanitizers of the native
// build). A target that finds a fault aborts, which fails the test.
#include <dirent.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) __attribute__((weak));

int main(int argc, char** argv) {
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        DIR* directory = opendir(argv[i]);
        if (!directory) {
            std::fprintf(stderr, "no corpus directory %s\n", argv[i]);
            return 1;
        }
        while (dirent* entry = readdir(directory)) {
            std::string path = std::string(argv[i]) + "/" + entry->d_name;
            std::ifstream in(path, std::ios::binary);
            if (entry->d_name[0] == '.' || !in) continue;
            std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                       std::istreambuf_iterator<char>());
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
        closedir(directory);
    }
    std::printf("%d corpus files replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
