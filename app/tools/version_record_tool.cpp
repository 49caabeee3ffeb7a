// Writes the program's version record at build time from one description of its values:
// the record bytes (for the ELF section, or for stamping a copy on Windows), the .rc text
// for the Windows resource compiler, and the description with every value resolved so that
// the records of the release copies carry exactly the same values as the build's own.
//
//   version_record_tool DESCRIPTION RECORD [--rc FILE] [--resolved FILE] [--set KEY=VALUE]...
//   version_record_tool --stamp EXECUTABLE RECORD
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/version_record_writer.hpp"
#include "platform/version_resource.hpp"

namespace {

using hx4x::VersionRecordDescription;

constexpr char build_time_placeholder[] = "$(build_time)";

std::string strip(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool read_number(const std::string& text, std::uint32_t limit, std::uint32_t& value) {
    if (text.empty() || text[0] == '-' || text[0] == '+') {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long number = std::strtoull(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0' || number > limit) {
        return false;
    }
    value = static_cast<std::uint32_t>(number);
    return true;
}

bool read_version(const std::string& text, std::array<std::uint16_t, 4>& version) {
    std::istringstream parts(text);
    std::string part;
    std::size_t count = 0;
    while (std::getline(parts, part, '.')) {
        std::uint32_t number = 0;
        if (count == version.size() || !read_number(strip(part), 0xFFFF, number)) {
            return false;
        }
        version[count++] = static_cast<std::uint16_t>(number);
    }
    return count == version.size();
}

std::string build_time() {
    std::time_t now = std::time(nullptr);
    const std::tm* parts = nullptr;
    // Reproducible builds fix the time from outside.
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch != nullptr && *epoch != '\0') {
        now = static_cast<std::time_t>(std::strtoll(epoch, nullptr, 10));
        parts = std::gmtime(&now);
    } else {
        parts = std::localtime(&now);
    }
    char text[64] = {};
    if (parts == nullptr || std::strftime(text, sizeof text, "%d %b %Y %H:%M", parts) == 0) {
        return {};
    }
    return text;
}

bool fixed_value(VersionRecordDescription& d, const std::string& key, const std::string& value) {
    std::uint32_t number = 0;
    if (key == "file_version") {
        return read_version(value, d.file_version);
    }
    if (key == "product_version") {
        return read_version(value, d.product_version);
    }
    if (key == "translation") {
        std::istringstream words(value);
        std::string language;
        std::string code_page;
        std::uint32_t first = 0;
        std::uint32_t second = 0;
        if (!(words >> language >> code_page) || !read_number(language, 0xFFFF, first) ||
            !read_number(code_page, 0xFFFF, second)) {
            return false;
        }
        d.translations.emplace_back(static_cast<std::uint16_t>(first),
                                    static_cast<std::uint16_t>(second));
        return true;
    }
    if (!read_number(value, 0xFFFFFFFF, number)) {
        return false;
    }
    if (key == "flags_mask") {
        d.flags_mask = number;
    } else if (key == "flags") {
        d.flags = number;
    } else if (key == "file_os") {
        d.file_os = number;
    } else if (key == "file_type") {
        d.file_type = number;
    } else if (key == "file_subtype") {
        d.file_subtype = number;
    } else {
        return false;
    }
    return true;
}

bool read_description(const std::string& path, VersionRecordDescription& d, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    const std::string time = build_time();
    std::string line;
    bool in_table = false;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        const std::string text = strip(line);
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (text.empty() || text[0] == '#') {
            continue;
        }
        if (text.front() == '[' && text.back() == ']') {
            if (in_table) {
                error = where + "only one string table is written";
                return false;
            }
            in_table = true;
            d.table_key = strip(text.substr(1, text.size() - 2));
            continue;
        }
        const auto equals = text.find('=');
        if (equals == std::string::npos) {
            error = where + "expected KEY = VALUE";
            return false;
        }
        const std::string key = strip(text.substr(0, equals));
        std::string value = strip(text.substr(equals + 1));
        if (in_table) {
            for (auto at = value.find(build_time_placeholder); at != std::string::npos;
                 at = value.find(build_time_placeholder, at + time.size())) {
                value.replace(at, sizeof build_time_placeholder - 1, time);
            }
            d.set_string(key, value);
        } else if (!fixed_value(d, key, value)) {
            error = where + "bad value for " + key;
            return false;
        }
    }
    return true;
}

std::string version_text(const std::array<std::uint16_t, 4>& v, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < v.size(); ++i) {
        text += (i == 0 ? "" : separator) + std::to_string(v[i]);
    }
    return text;
}

std::string hex(std::uint32_t value) {
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}

std::string resolved_text(const VersionRecordDescription& d) {
    std::string text = "# Generated: every value resolved.\n";
    text += "file_version = " + version_text(d.file_version, ".") + "\n";
    text += "product_version = " + version_text(d.product_version, ".") + "\n";
    text += "flags_mask = " + hex(d.flags_mask) + "\nflags = " + hex(d.flags) + "\n";
    text += "file_os = " + hex(d.file_os) + "\nfile_type = " + hex(d.file_type) + "\n";
    text += "file_subtype = " + hex(d.file_subtype) + "\n";
    for (const auto& [language, code_page] : d.translations) {
        text += "translation = " + hex(language) + " " + hex(code_page) + "\n";
    }
    text += "\n[" + d.table_key + "]\n";
    for (const auto& [key, value] : d.strings) {
        text += key + " = " + value + "\n";
    }
    return text;
}

std::string rc_string(const std::string& value) {
    std::string text = "\"";
    for (const char c : value) {
        text += c == '"'    ? std::string("\"\"")
                : c == '\\' ? std::string("\\\\")
                            : std::string(1, c);
    }
    return text + "\"";
}

std::string rc_text(const VersionRecordDescription& d) {
    std::string text = "// Generated from the version record description.\n";
    text += "#pragma code_page(65001)\n#include <winver.h>\n\n";
    text += "VS_VERSION_INFO VERSIONINFO\n";
    text += " FILEVERSION " + version_text(d.file_version, ",") + "\n";
    text += " PRODUCTVERSION " + version_text(d.product_version, ",") + "\n";
    text += " FILEFLAGSMASK " + hex(d.flags_mask) + "L\n FILEFLAGS " + hex(d.flags) + "L\n";
    text += " FILEOS " + hex(d.file_os) + "L\n FILETYPE " + hex(d.file_type) + "L\n";
    text += " FILESUBTYPE " + hex(d.file_subtype) + "L\nBEGIN\n";
    text += "    BLOCK \"StringFileInfo\"\n    BEGIN\n";
    text += "        BLOCK " + rc_string(d.table_key) + "\n        BEGIN\n";
    for (const auto& [key, value] : d.strings) {
        text += "            VALUE " + rc_string(key) + ", " + rc_string(value) + "\n";
    }
    text += "        END\n    END\n    BLOCK \"VarFileInfo\"\n    BEGIN\n";
    text += "        VALUE \"Translation\"";
    for (const auto& [language, code_page] : d.translations) {
        text += ", " + hex(language) + ", " + std::to_string(code_page);
    }
    text += "\n    END\nEND\n";
    return text;
}

bool write_file(const std::string& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    return static_cast<bool>(out);
}

int fail(const std::string& message) {
    std::fprintf(stderr, "version_record_tool: %s\n", message.c_str());
    return 1;
}

int stamp(const std::string& executable, const std::string& record_path) {
    // The stream buffer's iterators never set the stream's state, so a failed open or read
    // is seen only through the stream itself.
    std::ifstream in(record_path, std::ios::binary);
    std::vector<std::uint8_t> record;
    if (in.is_open()) {
        record.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (!in.is_open() || in.bad() || record.empty()) {
        return fail("cannot read " + record_path);
    }
    std::string error;
    if (!hx4x::platform::write_version_resource(executable, record, &error)) {
        return fail(error);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "--stamp") {
        return stamp(args[1], args[2]);
    }
    if (args.size() < 2) {
        return fail("usage: DESCRIPTION RECORD [--rc FILE] [--resolved FILE] [--set KEY=VALUE]...");
    }
    VersionRecordDescription description;
    std::string error;
    if (!read_description(args[0], description, error)) {
        return fail(error);
    }
    std::string rc_path;
    std::string resolved_path;
    for (std::size_t i = 2; i < args.size(); i += 2) {
        if (i + 1 >= args.size()) {
            return fail("missing value after " + args[i]);
        }
        const std::string& value = args[i + 1];
        if (args[i] == "--rc") {
            rc_path = value;
        } else if (args[i] == "--resolved") {
            resolved_path = value;
        } else if (args[i] == "--set" && value.find('=') != std::string::npos) {
            const auto equals = value.find('=');
            description.set_string(value.substr(0, equals), value.substr(equals + 1));
        } else {
            return fail("unknown option " + args[i] + " " + value);
        }
    }

    std::vector<std::uint8_t> record;
    if (!hx4x::serialize_version_node(hx4x::version_record_tree(description), record, &error)) {
        return fail(error);
    }
    if (!write_file(args[1], record.data(), record.size())) {
        return fail("cannot write " + args[1]);
    }
    if (!rc_path.empty()) {
        const std::string text = rc_text(description);
        if (!write_file(rc_path, text.data(), text.size())) {
            return fail("cannot write " + rc_path);
        }
    }
    if (!resolved_path.empty()) {
        const std::string text = resolved_text(description);
        if (!write_file(resolved_path, text.data(), text.size())) {
            return fail("cannot write " + resolved_path);
        }
    }
    return 0;
}
