#include "firmware/hex_file_reader.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "firmware/hex_text_parser.hpp"
#include "platform/file_access.hpp"

namespace hx4x {

namespace {

struct FileCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

// Large enough that a firmware file is read in a handful of calls, small enough to stay cached.
constexpr std::size_t chunk_size = std::size_t{1} << 20;

void set_error(std::string* error, const char* text) {
    if (error != nullptr) {
        *error = text;
    }
}

// The file size by seeking, or false when it cannot be taken.
bool file_size_of(std::FILE* stream, std::uint64_t& size) {
    if (std::fseek(stream, 0, SEEK_END) != 0) {
        return false;
    }
    const long end = std::ftell(stream);
    if (end < 0 || std::fseek(stream, 0, SEEK_SET) != 0) {
        return false;
    }
    size = static_cast<std::uint64_t>(end);
    return true;
}

std::size_t count_record_starts(const char* bytes, std::size_t size) {
    // Plain loops the compiler turns into byte-wide vector compares (a search call per record
    // costs more than the record's whole text); a byte counter holds at most 255 hits.
    std::size_t count = 0;
    std::size_t at = 0;
    constexpr std::size_t block = 255;
    for (; size - at >= block; at += block) {
        std::uint8_t hits = 0;
        for (std::size_t i = 0; i < block; ++i) {
            hits = static_cast<std::uint8_t>(hits + (bytes[at + i] == ':' ? 1 : 0));
        }
        count += hits;
    }
    for (; at < size; ++at) {
        count += bytes[at] == ':' ? 1u : 0u;
    }
    return count;
}

// A first quick pass that counts the record starts, so that the record list can be sized once.
// The stream is back at its start afterwards, or false.
bool count_record_starts(std::FILE* stream, std::uint64_t size, std::vector<char>& buffer,
                         std::size_t& count) {
    count = 0;
    std::uint64_t remaining = size;
    while (remaining != 0) {
        const auto wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, buffer.size()));
        const std::size_t got = std::fread(buffer.data(), 1, wanted, stream);
        count += count_record_starts(buffer.data(), got);
        remaining -= got;
        if (got < wanted) {
            break;
        }
    }
    return std::fseek(stream, 0, SEEK_SET) == 0;
}

// Feeds the parser from the stream, never more than size bytes in all.
void read_text(std::FILE* stream, std::uint64_t size, std::vector<char>& buffer,
               HexTextParser& parser) {
    std::size_t held = 0;  // bytes of an unfinished line kept at the front of the buffer
    std::uint64_t remaining = size;
    while (!parser.stopped()) {
        if (held == buffer.size()) {
            // One line longer than the buffer.
            buffer.resize(buffer.size() * 2);
        }
        const std::size_t wanted =
            static_cast<std::size_t>(std::min<std::uint64_t>(remaining, buffer.size() - held));
        const std::size_t got =
            wanted == 0 ? 0 : std::fread(buffer.data() + held, 1, wanted, stream);
        remaining -= got;
        const bool last = got < wanted || remaining == 0;
        const std::size_t available = held + got;
        const std::size_t used = parser.feed(buffer.data(), available, last);
        if (last) {
            return;
        }
        held = available - used;
        if (held != 0 && used != 0) {
            std::memmove(buffer.data(), buffer.data() + used, held);
        }
    }
}

}  // namespace

void HexFileReader::set_extended_types_accepted(bool accept) {
    for (std::size_t type = 0; type < accepted_.size(); ++type) {
        accepted_[type] = accept;
    }
    accepted_[record_data] = true;
    accepted_[record_end_of_file] = true;
}

void HexFileReader::set_type_accepted(std::uint32_t type, bool accept) {
    if (type < accepted_.size()) {
        accepted_[type] = accept;
    }
    accepted_[record_data] = true;
    accepted_[record_end_of_file] = true;
}

bool HexFileReader::is_type_accepted(std::uint32_t type) const {
    return type < accepted_.size() && accepted_[type];
}

std::vector<HexRecord> HexFileReader::take_storage() {
    // A reader loaded before keeps its reserved room for the next load.
    std::vector<HexRecord> storage = std::move(records_);
    storage.clear();
    records_ = std::vector<HexRecord>();
    file_name_.clear();
    return storage;
}

bool HexFileReader::finish_load(bool loaded, std::vector<HexRecord>& records,
                                const std::string& name) {
    if (!loaded) {
        // Empty, but the room stays for the next load.
        records.clear();
    } else {
        file_name_ = name;
    }
    records_ = std::move(records);
    return loaded;
}

namespace {

bool load_stream(std::FILE* stream, const AcceptedRecordTypes& accepted,
                 std::vector<SignatureScanner>& scanners, ProgressCallback callback, void* context,
                 std::vector<HexRecord>& records, std::string* error, bool& out_of_memory) {
    std::uint64_t size = 0;
    if (!file_size_of(stream, size) || size > std::numeric_limits<std::uint32_t>::max()) {
        // Progress is reported in 32 bits; no firmware file comes near that size.
        set_error(error, "Error reading the file");
        return false;
    }
    if (size == 0) {
        set_error(error, "The file is empty");
        return false;
    }
    try {
        std::vector<char> buffer(
            static_cast<std::size_t>(std::min<std::uint64_t>(size, chunk_size)));
        std::size_t record_starts = 0;
        if (!count_record_starts(stream, size, buffer, record_starts)) {
            set_error(error, "Error reading the file");
            return false;
        }
        HexTextParser parser(accepted, scanners, callback, context,
                             static_cast<std::uint32_t>(size), records, error, record_starts);
        read_text(stream, size, buffer, parser);
        return parser.finish();
    } catch (const std::bad_alloc&) {
        // Only a hostile file grows the record list beyond memory.
        set_error(error, "Error reading the file");
        out_of_memory = true;
        return false;
    }
}

bool load_bytes(std::string_view bytes, const AcceptedRecordTypes& accepted,
                std::vector<SignatureScanner>& scanners, ProgressCallback callback, void* context,
                std::vector<HexRecord>& records, std::string* error, bool& out_of_memory) {
    if (bytes.size() > std::numeric_limits<std::uint32_t>::max()) {
        set_error(error, "Error reading the file");
        return false;
    }
    if (bytes.empty()) {
        set_error(error, "The file is empty");
        return false;
    }
    try {
        HexTextParser parser(accepted, scanners, callback, context,
                             static_cast<std::uint32_t>(bytes.size()), records, error,
                             count_record_starts(bytes.data(), bytes.size()));
        parser.feed(bytes.data(), bytes.size(), true);
        return parser.finish();
    } catch (const std::bad_alloc&) {
        set_error(error, "Error reading the file");
        out_of_memory = true;
        return false;
    }
}

}  // namespace

bool HexFileReader::load(const std::string& path, std::vector<SignatureScanner>& scanners,
                         ProgressCallback callback, void* context, std::string* error) {
    std::vector<HexRecord> records = take_storage();
    out_of_memory_ = false;
    // Only a regular file is read: a directory, a FIFO or a device is refused at once.
    const InputFile stream(platform::open_regular_file_for_reading(path));
    if (!stream) {
        set_error(error, "Could not open file for reading");
        return finish_load(false, records, path);
    }
    const bool loaded = load_stream(stream.get(), accepted_, scanners, callback, context, records,
                                    error, out_of_memory_);
    return finish_load(loaded, records, path);
}

bool HexFileReader::load_from_memory(std::string_view bytes, const std::string& name,
                                     std::vector<SignatureScanner>& scanners,
                                     ProgressCallback callback, void* context, std::string* error) {
    std::vector<HexRecord> records = take_storage();
    out_of_memory_ = false;
    const bool loaded =
        load_bytes(bytes, accepted_, scanners, callback, context, records, error, out_of_memory_);
    return finish_load(loaded, records, name);
}

}  // namespace hx4x
