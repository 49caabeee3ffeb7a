#include "version_info_target.hpp"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/version_info.hpp"
#include "app/version_record_writer.hpp"
#include "fuzz_invariant.hpp"

namespace hx4x::fuzzing {

namespace {

bool is_ascii(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

}  // namespace

void run_version_info_case(const std::uint8_t* data, std::size_t size) {
    // A private copy, so that a read past the end is caught by the sanitizer at once.
    const std::vector<std::uint8_t> bytes(data, data + size);
    VersionInfo info;
    const bool parsed = info.parse(bytes.empty() ? nullptr : bytes.data(), bytes.size());
    require(parsed || info.string_tables().empty(), "tables without a record");
    require(!info.file_version_text().empty(), "empty version text");

    std::size_t texts = 0;
    std::set<std::string> seen;
    for (const VersionStringTable& table : info.string_tables()) {
        texts += table.key.size();
        for (const auto& [key, value] : table.entries) {
            texts += key.size() + value.size();
            // The first table answers each key with its first value.
            if (&table == &info.string_tables().front() && seen.insert(key).second) {
                require(info.string_value(key) == value, "lookup");
            }
        }
    }
    // Each text character costs at least two bytes of the record.
    require(texts <= size / 2, "more text than record");

    // What the reader found writes back into a record that reads the same (the writer takes
    // UTF-8, so only texts within ASCII are compared).
    if (!info.string_tables().empty()) {
        VersionRecordDescription description;
        description.table_key = info.string_tables().front().key;
        for (const auto& [key, value] : info.string_tables().front().entries) {
            if (is_ascii(key) && is_ascii(value)) {
                description.strings.emplace_back(key, value);
            }
        }
        std::vector<std::uint8_t> again;
        if (serialize_version_node(version_record_tree(description), again, nullptr)) {
            VersionInfo reread;
            require(reread.parse(again.data(), again.size()), "rewritten record unreadable");
            std::set<std::string> checked;
            for (const auto& [key, value] : description.strings) {
                if (checked.insert(key).second) {
                    require(reread.string_value(key) == value, "round trip");
                }
            }
        }
    }
}

}  // namespace hx4x::fuzzing
