#include "hex_reader_oracle.hpp"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

#include "firmware/firmware_setup.hpp"
#include "firmware/hex_file_reader.hpp"
#include "hexgen/hex_generator.hpp"

namespace hx4x {

namespace {

struct ProgressCheck {
    std::uint64_t last_done = 0;
    std::uint32_t total = 0;
    std::uint32_t calls = 0;
    bool broken = false;
};

bool check_progress(void* context, std::uint32_t done, std::uint32_t total) {
    auto* check = static_cast<ProgressCheck*>(context);
    if (done < check->last_done || done > total || total != check->total) {
        check->broken = true;
    }
    check->last_done = done;
    ++check->calls;
    return true;
}

bool contains(const std::string& haystack, std::string_view needle) {
    return haystack.find(needle) != std::string::npos;
}

// The text an accepted file must be: its lines, CR LF or LF, a final end mark at most and empty
// lines only at the end; every record in canonical form.
std::string check_accepted(std::string_view text, const HexFileReader& reader) {
    const std::size_t mark = text.find('\x1A');
    if (mark != std::string_view::npos) {
        if (mark + 1 != text.size()) {
            return "bytes after the end mark were accepted";
        }
        text.remove_suffix(1);
    }
    std::string joined;
    bool seen_empty = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(at, end - at);
        if (end < text.size() && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty()) {
            seen_empty = true;
        } else if (seen_empty) {
            return "an empty line between records was accepted";
        }
        joined.append(line);
        at = next;
    }
    std::transform(joined.begin(), joined.end(), joined.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    std::string expected;
    std::string data;
    std::size_t end_records = 0;
    std::size_t data_records = 0;
    for (const HexRecord& record : reader.records()) {
        if (record.type != 0 && record.type != 1 && record.type != 4) {
            return "a refused record type was accepted";
        }
        expected +=
            hex_record_text(record.type, record.load_offset, record.data.data(), record.length);
        if (record.type == record_data) {
            ++data_records;
            data.append(reinterpret_cast<const char*>(record.data.data()), record.length);
        } else if (record.type == record_end_of_file) {
            ++end_records;
        }
    }
    if (expected != joined) {
        return "the records differ from the accepted text";
    }
    if (end_records != 1 || reader.records().back().type != record_end_of_file) {
        return "End Of File record rules broken";
    }
    if (data_records == 0) {
        return "no data record";
    }
    if (!contains(data, firmware_signature_1) || !contains(data, firmware_signature_2)) {
        return "a signature is missing";
    }
    return {};
}

}  // namespace

std::string check_hex_reader_input(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // One reader for all inputs: its reserved room is reused, as a reload does.
    static HexFileReader reader;
    configure_update_reader(reader);
    std::vector<SignatureScanner> scanners = make_update_scanners();
    ProgressCheck progress;
    progress.total = static_cast<std::uint32_t>(size);
    std::string error;
    const bool loaded =
        reader.load_from_memory(text, "fuzz.hex", scanners, &check_progress, &progress, &error);
    if (progress.broken) {
        return "progress out of order or beyond the size";
    }
    if (!loaded) {
        if (error.empty() || error.find('\n') != std::string::npos) {
            return "a failure without exactly one line of text";
        }
        if (!reader.records().empty() || !reader.file_name().empty()) {
            return "a failed load left records behind";
        }
        return {};
    }
    if (progress.last_done != size) {
        return "the final progress call is not the whole size";
    }
    const FirmwareVersion version = read_firmware_version(scanners);
    if (version.known && (version.text.size() > firmware_version_max_length)) {
        return "version longer than its limit";
    }
    return check_accepted(text, reader);
}

}  // namespace hx4x
