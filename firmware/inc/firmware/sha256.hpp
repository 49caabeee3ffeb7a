#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hx4x {

// SHA-256 (FIPS 180-4), fed in pieces of any size. Our own code: the Windows build has no
// system crypto library to lean on, and a record of an update needs the file's digest on
// every system alike.
class Sha256 {
  public:
    static constexpr std::size_t digest_size = 32;
    using Digest = std::array<std::uint8_t, digest_size>;

    Sha256() { reset(); }

    void reset();
    void update(const void* data, std::size_t size);
    void update(std::string_view text) { update(text.data(), text.size()); }
    // The digest of everything fed since the last reset; the object is reset afterwards.
    Digest finish();

  private:
    static constexpr std::size_t block_size = 64;

    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 8> state_{};
    std::array<std::uint8_t, block_size> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t total_bytes_ = 0;
};

// The digest as 64 lower-case hexadecimal digits.
std::string digest_hex(const Sha256::Digest& digest);

// The SHA-256 of the bytes as 64 lower-case hexadecimal digits.
std::string sha256_hex(std::string_view bytes);

// The SHA-256 and size of a regular file, read in pieces so a file of any size takes little
// memory. The path is taken as the firmware reader takes it (the system's own file names).
// False with one line in reason when the file cannot be opened or read to its end.
bool file_sha256(const std::string& path, std::string& hex, std::uint64_t& size,
                 std::string* reason = nullptr);

}  // namespace hx4x
