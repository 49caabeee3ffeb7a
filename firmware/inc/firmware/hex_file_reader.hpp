#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "firmware/hex_record.hpp"
#include "firmware/progress_callback.hpp"
#include "firmware/signature_scanner.hpp"

namespace hx4x {

// One flag per RECTYP 0 to 5.
using AcceptedRecordTypes = std::array<bool, 6>;

// Reads an Intel HEX file strictly into its records, in file order. A failed load leaves the
// reader empty and says why in one line of text.
class HexFileReader {
  public:
    // Room reserved before a load so that an ordinary firmware file never regrows the list.
    static constexpr std::size_t reserved_records = 150000;

    HexFileReader() = default;

    // Types 0 and 1 stay accepted whatever is asked.
    void set_extended_types_accepted(bool accept);
    void set_type_accepted(std::uint32_t type, bool accept);
    bool is_type_accepted(std::uint32_t type) const;
    const AcceptedRecordTypes& accepted_types() const { return accepted_; }

    // Loads the file at path. The scanners see every data byte of the data records; the
    // callback, when given, sees (context, bytes consumed, file size) and stops the load by
    // returning false. On failure error (when given) holds exactly one text.
    bool load(const std::string& path, std::vector<SignatureScanner>& scanners,
              ProgressCallback callback = nullptr, void* context = nullptr,
              std::string* error = nullptr);

    // The same load on bytes already in memory; name becomes the file name on success.
    bool load_from_memory(std::string_view bytes, const std::string& name,
                          std::vector<SignatureScanner>& scanners,
                          ProgressCallback callback = nullptr, void* context = nullptr,
                          std::string* error = nullptr);

    const std::string& file_name() const { return file_name_; }
    const std::vector<HexRecord>& records() const { return records_; }
    // Whether the last load failed because the records did not fit in memory (its text is
    // then the same "Error reading the file" as for a read that fell short).
    bool out_of_memory() const { return out_of_memory_; }

  private:
    std::vector<HexRecord> take_storage();
    bool finish_load(bool loaded, std::vector<HexRecord>& records, const std::string& name);

    std::string file_name_;
    std::vector<HexRecord> records_;
    AcceptedRecordTypes accepted_{true, true, true, true, true, true};
    bool out_of_memory_ = false;
};

}  // namespace hx4x
