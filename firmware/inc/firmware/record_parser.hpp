#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/hex_record.hpp"
#include "firmware/signature_scanner.hpp"

namespace hx4x {

// Checks RECTYP, LOAD OFFSET and RECLEN of a record header, in that order. On failure error
// (when given) receives the text.
bool check_record_fields(std::uint32_t type, std::uint16_t load_offset, std::uint8_t length,
                         std::string* error);

// Parses the record beginning at start only when all of it is there and valid (digits,
// fields, checksum); end then receives the position just after the checksum. Nothing is
// offered to the scanners and no text is made: on false nothing is decided, and parse_record
// finds the fault. The record's data room may have been written either way.
bool parse_valid_record(std::string_view line, std::size_t start, HexRecord& record,
                        std::size_t& end);

// Offers the data bytes of a data record to the scanners, in list order.
void offer_data(const HexRecord& record, std::vector<SignatureScanner>& scanners);

// Parses one record of line beginning at start. end receives the position just after the
// checksum; on failure, the position the parse reached (never before start). The data bytes
// of a data record are offered to the scanners in list order. On failure error (when given)
// receives the text.
bool parse_record(std::string_view line, std::size_t start, HexRecord& record,
                  std::vector<SignatureScanner>& scanners, std::size_t& end, std::string* error);

}  // namespace hx4x
