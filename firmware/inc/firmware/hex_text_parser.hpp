#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/hex_file_reader.hpp"
#include "firmware/hex_record.hpp"
#include "firmware/progress_callback.hpp"
#include "firmware/signature_scanner.hpp"

namespace hx4x {

// The parsing core of one load: takes the text of a file in pieces, whatever it comes from,
// splits it into lines, parses the records and runs the end checks.
class HexTextParser {
  public:
    // record_starts: the count of ':' in the text, an upper bound of the records; room for
    // that many is reserved when it exceeds the usual reservation, so the list never regrows.
    HexTextParser(const AcceptedRecordTypes& accepted, std::vector<SignatureScanner>& scanners,
                  ProgressCallback callback, void* context, std::uint32_t file_size,
                  std::vector<HexRecord>& records, std::string* error,
                  std::size_t record_starts = 0);

    // Takes the next bytes of the text. Returns how many were used; the rest is the start of
    // a line not yet ended and must be offered again with the bytes that follow it. With
    // last set, every byte is used. Once stopped() the text is not looked at any more.
    std::size_t feed(const char* bytes, std::size_t size, bool last);

    // True after a fault, a cancel or the end-of-text mark.
    bool stopped() const { return stopped_; }

    // The end checks and the final progress call; true when the text is a valid file.
    bool finish();

    std::uint64_t consumed() const { return consumed_; }

  private:
    // Takes the next line when it is exactly one valid record and its line end; returns the
    // bytes used, or 0 when the line must go through line().
    std::size_t single_record_line(std::string_view rest);
    void line(std::string_view text, std::size_t terminator_length);
    // Counts the record just parsed at the list's back, reports progress and checks its type;
    // false (the record dropped) on a cancel or a fault.
    bool keep_record(bool parsed, std::size_t length);
    void end_of_text_mark();
    bool report_progress();
    void fail(const std::string& text);
    void fail_in_line(const std::string& text);

    const AcceptedRecordTypes& accepted_;
    std::vector<SignatureScanner>& scanners_;
    ProgressCallback callback_;
    void* context_;
    std::uint32_t file_size_;
    std::vector<HexRecord>& records_;
    std::string* error_;

    std::uint64_t step_;
    std::uint64_t next_report_;  // the consumed count whose tick is the next to report
    std::uint64_t consumed_ = 0;
    std::uint64_t line_number_ = 0;
    std::uint64_t empty_lines_ = 0;
    std::size_t data_records_ = 0;
    std::size_t end_records_ = 0;
    bool stopped_ = false;
    bool failed_ = false;
    std::string parse_error_;
};

}  // namespace hx4x
