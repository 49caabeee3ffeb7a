#include "settings_reader_target.hpp"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "fuzz_invariant.hpp"
#include "platform/profile_text.hpp"

namespace hx4x::fuzzing {

namespace {

constexpr std::array<std::string_view, 3> sections{"HX4xLoader", "Other", "s"};
constexpr std::array<std::string_view, 5> keys{"hex_file_name_0", "last_used_hex_file",
                                               "last_used_instrument", "k", "K2"};

std::string upper(std::string_view name) {
    std::string text(name);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Values a reader gives back unchanged: blanks at the ends and a pair of quotes are dropped.
bool reads_back_verbatim(std::string_view value) {
    if (value.empty()) {
        return true;
    }
    if (is_blank(value.front()) || is_blank(value.back())) {
        return false;
    }
    return !(value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
             value.back() == value.front());
}

}  // namespace

void run_settings_reader_case(std::string_view input) {
    if (input.size() < 2) {
        return;
    }
    const auto selector = static_cast<unsigned char>(input[0]);
    const std::size_t value_size =
        std::min<std::size_t>(static_cast<unsigned char>(input[1]) % 32, input.size() - 2);
    const std::string_view value = input.substr(2, value_size);
    const std::string_view text = input.substr(2 + value_size);

    const std::string_view section = sections[selector % sections.size()];
    const std::string_view key = keys[(selector / sections.size()) % keys.size()];
    const bool other_case = (selector & 0x80) != 0;
    const std::string write_section = other_case ? upper(section) : std::string(section);
    const std::string write_key = other_case ? upper(key) : std::string(key);

    std::array<std::optional<std::string>, sections.size() * keys.size()> before;
    for (std::size_t s = 0; s < sections.size(); ++s) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            before[s * keys.size() + k] = platform::find_profile_value(text, sections[s], keys[k]);
        }
    }

    const std::optional<std::string> updated =
        platform::with_profile_value(text, write_section, write_key, value);
    if (!updated) {
        require(!platform::profile_entry_storable(write_section, write_key, value) ||
                    text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF"),
                "a storable entry was refused");
        return;
    }
    const std::optional<std::string> read = platform::find_profile_value(*updated, section, key);
    require(read.has_value(), "the written key is missing");
    require(!reads_back_verbatim(value) || *read == value, "the written value reads otherwise");

    for (std::size_t s = 0; s < sections.size(); ++s) {
        for (std::size_t k = 0; k < keys.size(); ++k) {
            if (sections[s] == section && keys[k] == key) {
                continue;
            }
            require(platform::find_profile_value(*updated, sections[s], keys[k]) ==
                        before[s * keys.size() + k],
                    "another key changed");
        }
    }
    require(platform::with_profile_value(*updated, write_section, write_key, value) == updated,
            "writing the same value again changed the file");
}

}  // namespace hx4x::fuzzing
