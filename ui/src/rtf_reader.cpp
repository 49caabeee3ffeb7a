#include "ui/rtf_reader.hpp"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace hx4x {

namespace {

constexpr char32_t replacement_character = 0xFFFD;
// RTF keeps control words to 32 letters; longer ones are no word we know.
constexpr std::size_t max_word_letters = 32;
// Parameters beyond this are meaningless to every word we read; clamping keeps the
// arithmetic safe whatever a file writes.
constexpr long long max_parameter = 1'000'000'000;
constexpr std::size_t max_colours = 1024;
constexpr int max_half_points = 3276;
constexpr int max_unicode_skip = 255;

// Code page 1252 where it differs from Latin-1; 0 marks the five undefined bytes.
constexpr std::array<char16_t, 32> cp1252_high = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t from_cp1252(std::uint8_t byte) {
    if (byte >= 0x80 && byte < 0xA0) {
        const char16_t mapped = cp1252_high[byte - 0x80u];
        return mapped == 0 ? replacement_character : mapped;
    }
    return byte;
}

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int hex_value(std::uint8_t c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

bool is_letter(std::uint8_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_digit(std::uint8_t c) {
    return c >= '0' && c <= '9';
}

enum class Destination { text, skipped, colour_table };

struct GroupState {
    TextFormat format;
    Destination destination = Destination::text;
    int unicode_skip = 1;  // \ucN: fallback characters after each \uN
};

// Destinations whose contents are never shown.
constexpr std::string_view skipped_destinations[] = {"author",
                                                     "bkmkend",
                                                     "bkmkstart",
                                                     "buptim",
                                                     "colorschememapping",
                                                     "comment",
                                                     "company",
                                                     "creatim",
                                                     "datastore",
                                                     "doccomm",
                                                     "filetbl",
                                                     "fldinst",
                                                     "fonttbl",
                                                     "footer",
                                                     "footerf",
                                                     "footerl",
                                                     "footerr",
                                                     "footnote",
                                                     "generator",
                                                     "header",
                                                     "headerf",
                                                     "headerl",
                                                     "headerr",
                                                     "info",
                                                     "keywords",
                                                     "latentstyles",
                                                     "listoverridetable",
                                                     "listtable",
                                                     "listtext",
                                                     "nonshppict",
                                                     "object",
                                                     "operator",
                                                     "pgdsctbl",
                                                     "pict",
                                                     "pntext",
                                                     "printim",
                                                     "revtbl",
                                                     "revtim",
                                                     "rsidtbl",
                                                     "shp",
                                                     "stylesheet",
                                                     "subject",
                                                     "template",
                                                     "themedata",
                                                     "title",
                                                     "userprops",
                                                     "xmlnstbl"};

struct Symbol {
    std::string_view word;
    char32_t character;
};

constexpr Symbol symbol_words[] = {{"bullet", 0x2022}, {"emdash", 0x2014},    {"emspace", 0x2003},
                                   {"endash", 0x2013}, {"enspace", 0x2002},   {"ldblquote", 0x201C},
                                   {"lquote", 0x2018}, {"rdblquote", 0x201D}, {"rquote", 0x2019},
                                   {"tab", U'\t'},     {"line", U'\n'}};

class RtfReader {
  public:
    explicit RtfReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {
        document_.paragraphs.emplace_back();
    }

    std::optional<RichTextDocument> read() {
        while (position_ < bytes_.size()) {
            const std::uint8_t c = bytes_[position_++];
            if (c == '{') {
                if (groups_.size() >= rtf_max_group_depth) {
                    return std::nullopt;
                }
                pending_skip_ = 0;
                groups_.push_back(groups_.empty() ? GroupState{} : groups_.back());
            } else if (c == '}') {
                pending_skip_ = 0;
                flush_surrogate();  // a pair does not reach across groups
                groups_.pop_back();
                if (groups_.empty()) {
                    break;  // the document's own group is closed
                }
            } else if (c == '\\') {
                control();
            } else if (c == '\r' || c == '\n') {
                // Line ends in RTF are only there for editors.
            } else if (!skip_fallback()) {
                text_byte(c);
            }
        }
        if (!groups_.empty()) {
            flush_surrogate();
        }
        // A final \par ends the last paragraph; it does not open an empty one.
        if (document_.paragraphs.size() > 1 && document_.paragraphs.back().runs.empty()) {
            document_.paragraphs.pop_back();
        }
        return std::move(document_);
    }

  private:
    GroupState& state() { return groups_.back(); }

    // A character after \uN that stands for it in older readers is passed over.
    bool skip_fallback() {
        if (pending_skip_ == 0) {
            return false;
        }
        --pending_skip_;
        return true;
    }

    void control() {
        if (position_ >= bytes_.size()) {
            return;
        }
        const std::uint8_t c = bytes_[position_];
        if (is_letter(c)) {
            control_word();
            return;
        }
        ++position_;
        if (c == '\'') {
            int value = 0;
            int digits = 0;
            while (digits < 2 && position_ < bytes_.size() && hex_value(bytes_[position_]) >= 0) {
                value = value * 16 + hex_value(bytes_[position_++]);
                ++digits;
            }
            if (!skip_fallback() && digits == 2) {
                text(from_cp1252(static_cast<std::uint8_t>(value)));
            }
            return;
        }
        if (skip_fallback()) {
            return;
        }
        switch (c) {
            case '\\':
            case '{':
            case '}':
                text(c);
                break;
            case '~':
                text(0x00A0);
                break;
            case '_':
                text(0x2011);
                break;
            case '*':
                state().destination = Destination::skipped;
                break;
            case '\r':
            case '\n':
                paragraph();
                break;
            default:
                break;  // optional hyphens, index marks and the like show nothing
        }
    }

    void control_word() {
        const std::size_t start = position_;
        while (position_ < bytes_.size() && is_letter(bytes_[position_])) {
            ++position_;
        }
        const std::size_t letters = position_ - start;
        const std::string_view word(reinterpret_cast<const char*>(bytes_.data() + start),
                                    std::min(letters, max_word_letters + 1));
        bool negative = false;
        if (position_ + 1 < bytes_.size() && bytes_[position_] == '-' &&
            is_digit(bytes_[position_ + 1])) {
            negative = true;
            ++position_;
        }
        bool has_parameter = false;
        long long parameter = 0;
        while (position_ < bytes_.size() && is_digit(bytes_[position_])) {
            has_parameter = true;
            parameter = std::min(parameter * 10 + (bytes_[position_++] - '0'), max_parameter);
        }
        if (negative) {
            parameter = -parameter;
        }
        if (position_ < bytes_.size() && bytes_[position_] == ' ') {
            ++position_;  // the delimiter belongs to the word
        }
        if (word == "bin") {
            // Raw bytes follow; they are data, never control words or text.
            const std::size_t length = parameter > 0 ? static_cast<std::size_t>(parameter) : 0;
            position_ += std::min(length, bytes_.size() - position_);
            return;
        }
        if (skip_fallback()) {
            return;
        }
        apply(word, has_parameter, parameter);
    }

    void apply(std::string_view word, bool has_parameter, long long parameter) {
        GroupState& s = state();
        if (word == "colortbl") {
            s.destination = Destination::colour_table;
            return;
        }
        if (std::find(std::begin(skipped_destinations), std::end(skipped_destinations), word) !=
            std::end(skipped_destinations)) {
            s.destination = Destination::skipped;
            return;
        }
        if (word == "uc") {
            s.unicode_skip =
                static_cast<int>(std::clamp<long long>(parameter, 0, max_unicode_skip));
            return;
        }
        if (s.destination == Destination::colour_table) {
            const auto channel =
                static_cast<std::uint8_t>(std::clamp<long long>(parameter, 0, 255));
            if (word == "red") {
                colour_.red = channel;
            } else if (word == "green") {
                colour_.green = channel;
            } else if (word == "blue") {
                colour_.blue = channel;
            } else {
                return;
            }
            colour_given_ = true;
            return;
        }
        if (s.destination != Destination::text) {
            return;
        }
        const bool on = !has_parameter || parameter != 0;
        if (word == "par" || word == "page" || word == "sect") {
            paragraph();
        } else if (word == "b") {
            s.format.bold = on;
        } else if (word == "i") {
            s.format.italic = on;
        } else if (word == "ul") {
            s.format.underline = on;
        } else if (word == "ulnone") {
            s.format.underline = false;
        } else if (word == "fs") {
            s.format.half_points =
                has_parameter
                    ? static_cast<int>(std::clamp<long long>(parameter, 1, max_half_points))
                    : TextFormat::default_half_points;
        } else if (word == "cf") {
            s.format.colour =
                parameter >= 0 && static_cast<unsigned long long>(parameter) < colours_.size()
                    ? colours_[static_cast<std::size_t>(parameter)]
                    : std::nullopt;
        } else if (word == "plain") {
            s.format = TextFormat{};
        } else if (word == "u") {
            unicode(parameter);
            pending_skip_ = s.unicode_skip;
        } else {
            for (const Symbol& symbol : symbol_words) {
                if (word == symbol.word) {
                    text(symbol.character);
                    return;
                }
            }
        }
    }

    // \uN is a signed 16-bit UTF-16 unit; characters beyond the first plane come as a pair.
    void unicode(long long parameter) {
        if (parameter < -32768 || parameter > 65535) {
            text(replacement_character);
            return;
        }
        const auto unit = static_cast<char32_t>(parameter < 0 ? parameter + 65536 : parameter);
        if (unit >= 0xDC00 && unit <= 0xDFFF && high_surrogate_ != 0) {
            const char32_t pair = 0x10000 + ((high_surrogate_ - 0xD800) << 10) + (unit - 0xDC00);
            high_surrogate_ = 0;
            text(pair);
        } else if (unit >= 0xD800 && unit <= 0xDBFF) {
            flush_surrogate();
            high_surrogate_ = unit;
        } else {
            text(unit >= 0xDC00 && unit <= 0xDFFF ? replacement_character : unit);
        }
    }

    void flush_surrogate() {
        if (high_surrogate_ != 0) {
            high_surrogate_ = 0;
            text(replacement_character);
        }
    }

    void text_byte(std::uint8_t c) {
        if (state().destination == Destination::colour_table && c == ';') {
            // Each ';' ends an entry; one without a colour is the window's own (auto).
            if (colours_.size() < max_colours) {
                colours_.push_back(colour_given_ ? std::optional(colour_) : std::nullopt);
            }
            colour_ = {};
            colour_given_ = false;
            return;
        }
        if (c == '\t') {
            text(U'\t');
        } else if (c >= 0x20) {
            text(from_cp1252(c));
        }
    }

    void text(char32_t c) {
        if (state().destination != Destination::text || c == 0) {
            return;
        }
        if (high_surrogate_ != 0) {
            high_surrogate_ = 0;
            text(replacement_character);
        }
        std::vector<TextRun>& runs = document_.paragraphs.back().runs;
        if (runs.empty() || !(runs.back().format == state().format)) {
            runs.push_back(TextRun{{}, state().format});
        }
        append_utf8(runs.back().text, c);
    }

    void paragraph() {
        if (state().destination != Destination::text) {
            return;
        }
        flush_surrogate();
        document_.paragraphs.emplace_back();
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t position_ = 0;
    std::vector<GroupState> groups_;
    int pending_skip_ = 0;
    char32_t high_surrogate_ = 0;
    std::vector<std::optional<Rgb>> colours_;
    Rgb colour_;
    bool colour_given_ = false;
    RichTextDocument document_;
};

}  // namespace

std::optional<RichTextDocument> read_rtf(std::span<const std::uint8_t> bytes) {
    constexpr std::string_view magic = "{\\rtf";
    if (bytes.size() > rtf_max_bytes || bytes.size() < magic.size() ||
        !std::equal(magic.begin(), magic.end(), bytes.begin())) {
        return std::nullopt;
    }
    return RtfReader(bytes).read();
}

std::optional<RichTextDocument> read_rtf(std::string_view text) {
    return read_rtf(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace hx4x
