#include "firmware/hex_text_parser.hpp"

#include <cstring>
#include <new>
#include <stdexcept>

#include "firmware/hex_diagnostics.hpp"
#include "firmware/record_parser.hpp"
#include "platform/memory_hint.hpp"

namespace hx4x {

namespace {

constexpr char end_of_text = '\x1A';

}  // namespace

HexTextParser::HexTextParser(const AcceptedRecordTypes& accepted,
                             std::vector<SignatureScanner>& scanners, ProgressCallback callback,
                             void* context, std::uint32_t file_size,
                             std::vector<HexRecord>& records, std::string* error,
                             std::size_t record_starts)
    : accepted_(accepted),
      scanners_(scanners),
      callback_(callback),
      context_(context),
      file_size_(file_size),
      records_(records),
      error_(error),
      step_(file_size >= 1024 ? file_size >> 10 : 1),
      next_report_(step_) {
    if (record_starts > HexFileReader::reserved_records && records_.capacity() < record_starts) {
        try {
            records_.reserve(record_starts);
        } catch (const std::bad_alloc&) {
            // A text of colons only; it fails on its first line anyway.
        } catch (const std::length_error&) {
        }
    }
    if (records_.capacity() < HexFileReader::reserved_records) {
        records_.reserve(HexFileReader::reserved_records);
    }
    // The reserved list is tens of megabytes, filled front to back during the load.
    platform::advise_bulk_fill(records_.data(), records_.capacity() * sizeof(HexRecord));
}

void HexTextParser::fail(const std::string& text) {
    stopped_ = true;
    failed_ = true;
    if (error_ != nullptr) {
        *error_ = text;
    }
}

void HexTextParser::fail_in_line(const std::string& text) {
    if (error_ == nullptr) {
        fail(std::string());
        return;
    }
    fail("Line #" + std::to_string(line_number_) + ": " + text);
}

bool HexTextParser::report_progress() {
    // The tick is consumed_ / step_; a report is due when it passes the last one reported.
    if (callback_ == nullptr || consumed_ < next_report_) {
        return true;
    }
    const std::uint64_t tick = consumed_ / step_;
    if (!callback_(context_, static_cast<std::uint32_t>(consumed_), file_size_)) {
        fail("Loading canceled by user");
        return false;
    }
    next_report_ = (tick + 1) * step_;
    return true;
}

std::size_t HexTextParser::feed(const char* bytes, std::size_t size, bool last) {
    std::size_t used = 0;
    while (!stopped_ && used < size) {
        const char* const begin = bytes + used;
        const std::size_t rest = size - used;
        const std::size_t whole = single_record_line(std::string_view(begin, rest));
        if (whole != 0) {
            used += whole;
            continue;
        }
        const auto* lf = static_cast<const char*>(std::memchr(begin, '\n', rest));
        const std::size_t line_end = lf != nullptr ? static_cast<std::size_t>(lf - begin) : rest;
        const auto* mark = static_cast<const char*>(std::memchr(begin, end_of_text, line_end));
        if (mark != nullptr) {
            // The text ends at the mark; what stands before it on its line is the last line.
            const auto length = static_cast<std::size_t>(mark - begin);
            if (length != 0) {
                line(std::string_view(begin, length), 0);
            }
            if (!stopped_) {
                end_of_text_mark();
            }
            return size;
        }
        if (lf == nullptr) {
            if (!last) {
                return used;
            }
            line(std::string_view(begin, rest), 0);
            return size;
        }
        if (line_end != 0 && begin[line_end - 1] == '\r') {
            line(std::string_view(begin, line_end - 1), 2);
        } else {
            line(std::string_view(begin, line_end), 1);
        }
        used += line_end + 1;
    }
    return stopped_ ? size : used;
}

void HexTextParser::end_of_text_mark() {
    stopped_ = true;
    // Only a mark that is the file's last byte is read; anything behind it stays unread and
    // the count falls short of the size.
    if (consumed_ + 1 == file_size_) {
        consumed_ += 1;
    }
}

std::size_t HexTextParser::single_record_line(std::string_view rest) {
    // A line that is one valid record needs no search for its end: a valid record holds
    // neither a line feed nor the end-of-text mark, so the line ends right after it. Any other
    // line, and a line after an empty one, goes the general way, which finds its fault.
    if (empty_lines_ != 0 || rest.empty() || rest[0] != ':') {
        return 0;
    }
    HexRecord& record = records_.emplace_back(HexRecord::DataLeftUnset{});
    std::size_t end = 0;
    std::size_t terminator_length = 0;
    if (parse_valid_record(rest, 0, record, end)) {
        if (end < rest.size() && rest[end] == '\n') {
            terminator_length = 1;
        } else if (end + 1 < rest.size() && rest[end] == '\r' && rest[end + 1] == '\n') {
            terminator_length = 2;
        }
    }
    if (terminator_length == 0) {
        records_.pop_back();
        return 0;
    }
    ++line_number_;
    offer_data(record, scanners_);
    if (keep_record(true, end)) {
        consumed_ += terminator_length;
    }
    return end + terminator_length;
}

bool HexTextParser::keep_record(bool parsed, std::size_t length) {
    const HexRecord& record = records_.back();
    consumed_ += length;
    // A cancel wins over a fault in the same record.
    if (!report_progress()) {
        records_.pop_back();
        return false;
    }
    if (!parsed) {
        records_.pop_back();
        fail_in_line(parse_error_);
        return false;
    }
    if (!accepted_[record.type]) {
        const std::uint32_t type = record.type;
        records_.pop_back();
        fail_in_line("Record type 0x" + hex_byte_text(type) + "' is unsupported");
        return false;
    }
    if (record.type == record_data) {
        ++data_records_;
    } else if (record.type == record_end_of_file) {
        ++end_records_;
    }
    return true;
}

void HexTextParser::line(std::string_view text, std::size_t terminator_length) {
    ++line_number_;
    if (text.empty()) {
        ++empty_lines_;
        consumed_ += terminator_length;
        return;
    }
    if (empty_lines_ != 0) {
        fail("Line #" + std::to_string(line_number_ - 1) + " is empty");
        return;
    }
    std::string* const parse_error = error_ != nullptr ? &parse_error_ : nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        HexRecord& record = records_.emplace_back(HexRecord::DataLeftUnset{});
        std::size_t end = start;
        const bool parsed = parse_record(text, start, record, scanners_, end, parse_error);
        if (!keep_record(parsed, end - start)) {
            return;
        }
        start = end;
    }
    consumed_ += terminator_length;
}

bool HexTextParser::finish() {
    if (failed_) {
        return false;
    }
    stopped_ = true;
    if (records_.empty()) {
        fail("The file is empty");
    } else if (consumed_ < file_size_) {
        fail("Error reading the file");
    } else if (end_records_ == 0) {
        fail("The file doesn't contain End Of File record");
    } else if (end_records_ > 1) {
        fail("The file contain more then one End Of File records");
    } else if (records_.back().type != record_end_of_file) {
        fail("End Of File record is not the last one in the file");
    } else if (data_records_ == 0) {
        fail("The file doesn't contain any data record");
    } else {
        for (const SignatureScanner& scanner : scanners_) {
            if (!scanner.optional() && !scanner.is_found()) {
                fail("The file is not a HX-4x firmware");
                break;
            }
        }
    }
    if (failed_) {
        return false;
    }
    if (callback_ != nullptr &&
        !callback_(context_, static_cast<std::uint32_t>(consumed_), file_size_)) {
        fail("Loading canceled by user");
        return false;
    }
    return true;
}

}  // namespace hx4x
