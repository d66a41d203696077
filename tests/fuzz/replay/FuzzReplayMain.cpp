#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

// The fuzz target this program is linked with.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace
{

// Every regular file below the given folders, in a stable order so that a failure reproduces
// in the same sequence. A folder that does not exist holds no inputs yet.
std::vector<std::filesystem::path> CollectInputs(int count, char** folders)
{
    std::vector<std::filesystem::path> inputs;
    for (int index = 0; index < count; ++index)
    {
        std::error_code error;
        const std::filesystem::path folder(folders[index]);
        if (!std::filesystem::is_directory(folder, error))
        {
            std::printf("no inputs in %s\n", folders[index]);
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
            if (entry.is_regular_file(error))
                inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

bool ReadBytes(const std::filesystem::path& path, std::vector<uint8_t>& bytes)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

} // namespace

// Replays the stored inputs of a fuzz target through the same entry point the fuzzing engine
// calls, so that every input that once found a fault keeps being checked without the engine.
// Each name is printed before its input runs: a sanitizer report then follows the file at fault.
int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: %s FOLDER...\n", argv[0]);
        return 2;
    }
    const std::vector<std::filesystem::path> inputs = CollectInputs(argc - 1, argv + 1);
    std::vector<uint8_t> bytes;
    for (const auto& input : inputs)
    {
        if (!ReadBytes(input, bytes))
        {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 1;
        }
        std::printf("%s\n", input.c_str());
        std::fflush(stdout);
        // An empty vector may hold no buffer; the engine always passes a valid pointer.
        const uint8_t empty = 0;
        LLVMFuzzerTestOneInput(bytes.empty() ? &empty : bytes.data(), bytes.size());
    }
    std::printf("%zu inputs replayed\n", inputs.size());
    return 0;
}
