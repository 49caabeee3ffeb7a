// hexgen: writes a generated firmware file.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "hexgen/hex_generator.hpp"

namespace {

void usage() {
    std::fputs(
        "usage: hexgen [--records N] [--length N] [--base ADDRESS] [--seed N] [--crlf]\n"
        "              [--eof-mark] [--no-signatures] [--version TEXT] OUTPUT\n",
        stderr);
}

bool number(const char* text, std::uint32_t& value) {
    char* end = nullptr;
    const unsigned long parsed = std::strtoul(text, &end, 0);
    if (end == text || *end != '\0' || parsed > 0xFFFFFFFFul) {
        return false;
    }
    value = static_cast<std::uint32_t>(parsed);
    return true;
}

struct FileCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};

}  // namespace

int main(int argc, char** argv) {
    hx4x::HexGeneratorOptions options;
    const char* output = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool has_value = i + 1 < argc;
        bool ok = true;
        if (arg == "--records" && has_value) {
            ok = number(argv[++i], options.data_records);
        } else if (arg == "--length" && has_value) {
            ok = number(argv[++i], options.record_length) && options.record_length >= 1 &&
                 options.record_length <= 255;
        } else if (arg == "--base" && has_value) {
            ok = number(argv[++i], options.base_address);
        } else if (arg == "--seed" && has_value) {
            ok = number(argv[++i], options.seed);
        } else if (arg == "--version" && has_value) {
            options.version = argv[++i];
        } else if (arg == "--crlf") {
            options.crlf = true;
        } else if (arg == "--eof-mark") {
            options.end_of_text_mark = true;
        } else if (arg == "--no-signatures") {
            options.signatures = false;
        } else if (output == nullptr && !arg.empty() && arg[0] != '-') {
            output = argv[i];
        } else {
            ok = false;
        }
        if (!ok) {
            usage();
            return 1;
        }
    }
    if (output == nullptr) {
        usage();
        return 1;
    }
    const std::string text = hx4x::generate_hex_text(options);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(output, "wb"));
    if (!file || std::fwrite(text.data(), 1, text.size(), file.get()) != text.size() ||
        std::fclose(file.release()) != 0) {
        std::fprintf(stderr, "hexgen: could not write %s\n", output);
        return 1;
    }
    return 0;
}
