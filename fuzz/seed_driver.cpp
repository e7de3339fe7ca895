// Runs one fuzz target without libFuzzer: every seed once, then simple mutations of the seeds
// for a few seconds. The test command runs each target this way in the normal sanitized
// build, so a target that no longer builds, a stale property or a crash on a seed shows there;
// `bash fuzz/run.sh` still fuzzes for real, with coverage, in a clang build.
//
//   TARGET [--seconds S] [--seed N] [--dict FILE] [--failed FILE] CORPUS_DIR...
//
// A broken property or a sanitizer finding ends the run non-zero; the input that did it is
// written to the --failed file first (default TARGET-failed-input in the working folder), so
// `TARGET FILE` or the libFuzzer build runs it again.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Only some targets set themselves up before the first input.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);
// Present when the sanitizers are linked in: runs before a finding ends the process.
extern "C" __attribute__((weak)) void __sanitizer_set_death_callback(void (*callback)());

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t max_length = 4096;  // as fuzz/run.sh gives libFuzzer
constexpr std::uintmax_t max_seed_file = 1 << 20;

// The input under test and where it goes when the process dies on it; set before each run.
Bytes current;
char failed_path[4096];

void save_current() {
    const int fd = ::open(failed_path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return;
    std::size_t done = 0;
    while (done < current.size()) {
        const ssize_t n = ::write(fd, current.data() + done, current.size() - done);
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
}

extern "C" void on_fatal_signal(int signal) {
    save_current();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void run(const Bytes& input) {
    current = input;
    LLVMFuzzerTestOneInput(current.data(), current.size());
}

Bytes read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Tokens of a libFuzzer dictionary: one quoted string a line, \\, \" and \xNN escaped.
std::vector<Bytes> read_dictionary(const std::string& path) {
    std::vector<Bytes> tokens;
    std::ifstream in(path);
    std::string line;
    for (int lines = 0; lines < 100000 && std::getline(in, line); ++lines) {
        const auto open = line.find('"');
        const auto close = line.rfind('"');
        if (line.empty() || line[0] == '#' || open == std::string::npos || close <= open) continue;
        Bytes token;
        for (std::size_t i = open + 1; i < close; ++i) {
            if (line[i] == '\\' && i + 1 < close && line[i + 1] == 'x' && i + 3 < close) {
                token.push_back(
                    static_cast<std::uint8_t>(std::stoi(line.substr(i + 2, 2), nullptr, 16)));
                i += 3;
            } else if (line[i] == '\\' && i + 1 < close) {
                token.push_back(static_cast<std::uint8_t>(line[++i]));
            } else {
                token.push_back(static_cast<std::uint8_t>(line[i]));
            }
        }
        if (!token.empty()) tokens.push_back(token);
    }
    return tokens;
}

class Mutator {
  public:
    Mutator(std::uint64_t seed, const std::vector<Bytes>& seeds, const std::vector<Bytes>& dict)
        : random_(seed), seeds_(seeds), dict_(dict) {}

    // A seed changed in one to four places.
    Bytes next() {
        Bytes out = seeds_[below(seeds_.size())];
        const std::size_t changes = 1 + below(4);
        for (std::size_t i = 0; i < changes; ++i) change(out);
        if (out.size() > max_length) out.resize(max_length);
        return out;
    }

  private:
    std::size_t below(std::size_t n) { return n == 0 ? 0 : random_() % n; }

    void insert(Bytes& out, const Bytes& what) {
        out.insert(out.begin() + static_cast<std::ptrdiff_t>(below(out.size() + 1)), what.begin(),
                   what.end());
    }

    void change(Bytes& out) {
        // Bytes the parsers treat specially: line ends, NUL, a high byte, the escape, blanks.
        static const std::uint8_t special[] = {'\r', '\n', 0, 0xFF, '\\', ' ', '\t', '=', '.', '-'};
        switch (below(out.empty() ? 3 : 8)) {
            case 0:
                insert(out, Bytes{static_cast<std::uint8_t>(random_())});
                break;
            case 1:
                insert(out, Bytes{special[below(std::size(special))]});
                break;
            case 2:
                if (!dict_.empty()) insert(out, dict_[below(dict_.size())]);
                break;
            case 3:
                out[below(out.size())] ^= static_cast<std::uint8_t>(1u << below(8));
                break;
            case 4:
                out[below(out.size())] = static_cast<std::uint8_t>(random_());
                break;
            case 5: {  // erase a run
                const std::size_t from = below(out.size());
                const std::size_t count = 1 + below(std::min<std::size_t>(out.size() - from, 16));
                out.erase(out.begin() + static_cast<std::ptrdiff_t>(from),
                          out.begin() + static_cast<std::ptrdiff_t>(from + count));
                break;
            }
            case 6: {  // repeat a run
                const std::size_t from = below(out.size());
                const std::size_t count = 1 + below(std::min<std::size_t>(out.size() - from, 64));
                insert(out, Bytes(out.begin() + static_cast<std::ptrdiff_t>(from),
                                  out.begin() + static_cast<std::ptrdiff_t>(from + count)));
                break;
            }
            default: {  // this seed's front, another's back
                const Bytes& other = seeds_[below(seeds_.size())];
                out.resize(below(out.size() + 1));
                const std::size_t from = below(other.size() + 1);
                out.insert(out.end(), other.begin() + static_cast<std::ptrdiff_t>(from),
                           other.end());
                break;
            }
        }
    }

    std::mt19937_64 random_;
    const std::vector<Bytes>& seeds_;
    const std::vector<Bytes>& dict_;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string name = std::filesystem::path(argv[0]).filename().string();
    double seconds = 0;
    std::uint64_t seed = std::random_device{}();
    std::string dict_path;
    std::string failed = name + "-failed-input";
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == "--seconds" && has_value) {
            seconds = std::atof(argv[++i]);
        } else if (arg == "--seed" && has_value) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--dict" && has_value) {
            dict_path = argv[++i];
        } else if (arg == "--failed" && has_value) {
            failed = argv[++i];
        } else {
            inputs.emplace_back(arg);
        }
    }
    failed = std::filesystem::absolute(failed).string();
    std::snprintf(failed_path, sizeof failed_path, "%s", failed.c_str());
    std::printf("%s: --seed %llu; a failing input goes to %s\n", name.c_str(),
                static_cast<unsigned long long>(seed), failed_path);
    std::fflush(stdout);
    if (__sanitizer_set_death_callback) __sanitizer_set_death_callback(save_current);
    for (const int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
        std::signal(signal, on_fatal_signal);
    }
    if (LLVMFuzzerInitialize) LLVMFuzzerInitialize(&argc, &argv);

    // Seeds: the files of each folder given, in name order, or the files given themselves.
    std::vector<Bytes> seeds;
    for (const auto& input : inputs) {
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(input)) {
            for (const auto& entry : std::filesystem::directory_iterator(input)) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(input);
        }
        for (const auto& file : files) {
            if (std::filesystem::file_size(file) > max_seed_file) continue;
            seeds.push_back(read_file(file));
            run(seeds.back());
        }
    }
    if (seeds.empty()) {
        std::fprintf(stderr, "%s: no seed files in the folders given\n", name.c_str());
        return 1;
    }

    const std::vector<Bytes> dict =
        dict_path.empty() ? std::vector<Bytes>{} : read_dictionary(dict_path);
    Mutator mutator(seed, seeds, dict);
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    std::size_t runs = 0;
    while (std::chrono::steady_clock::now() < end) {
        run(mutator.next());
        ++runs;
    }
    std::printf("%s: %zu seeds, then %zu mutated inputs in %.1f s\n", name.c_str(), seeds.size(),
                runs, seconds);
    return 0;
}
