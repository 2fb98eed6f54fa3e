#include "fuzz_targets.h"

#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace lex::fuzz {

const std::vector<NamedTarget>& targets() {
    static const std::vector<NamedTarget> all{
        {"open_rows", open_rows},           {"save_round_trip", save_round_trip},
        {"web_answers", web_answers},       {"settings_file", settings_file},
        {"own_words", own_words},           {"pictures", pictures},
        {"service_errors", service_errors},
        // The list file reader gets its target here when translation lists land, with a corpus
        // folder tests/fuzz/corpus/list_file/.
    };
    return all;
}

const std::string& work_folder() {
    // Made at the first call, removed when the process ends.
    struct Folder {
        std::string path;
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder{[] {
        namespace fs = std::filesystem;
        std::error_code ec;
        // Memory-backed where there is such a folder: the targets write files all the time.
        const fs::path base =
            fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path(ec);
        const fs::path dir = base / ("lexmarin-fuzz-" + std::to_string(::getpid()));
        fs::create_directories(dir, ec);
        return dir.string();
    }()};
    return folder.path;
}

} // namespace lex::fuzz
