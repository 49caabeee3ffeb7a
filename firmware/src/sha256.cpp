#include "firmware/sha256.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/file_access.hpp"

namespace hx4x {

namespace {

constexpr std::array<std::uint32_t, 64> round_constants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::array<std::uint32_t, 8> initial_state = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

constexpr std::uint32_t rotate_right(std::uint32_t value, unsigned count) {
    return (value >> count) | (value << (32U - count));
}

std::uint32_t big_endian_word(const std::uint8_t* bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]};
}

// Large enough that a firmware file is read in a handful of calls, small enough to stay cached.
constexpr std::size_t file_chunk_size = std::size_t{1} << 16;

struct FileCloser {
    void operator()(std::FILE* stream) const { std::fclose(stream); }
};

void set_reason(std::string* reason, const char* text) {
    if (reason != nullptr) {
        *reason = text;
    }
}

}  // namespace

void Sha256::reset() {
    state_ = initial_state;
    buffered_ = 0;
    total_bytes_ = 0;
}

void Sha256::compress(const std::uint8_t* block) {
    std::array<std::uint32_t, 64> w{};
    for (std::size_t i = 0; i < 16; ++i) {
        w[i] = big_endian_word(block + 4 * i);
    }
    for (std::size_t i = 16; i < 64; ++i) {
        const std::uint32_t s0 =
            rotate_right(w[i - 15], 7) ^ rotate_right(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 =
            rotate_right(w[i - 2], 17) ^ rotate_right(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = state_[0];
    std::uint32_t b = state_[1];
    std::uint32_t c = state_[2];
    std::uint32_t d = state_[3];
    std::uint32_t e = state_[4];
    std::uint32_t f = state_[5];
    std::uint32_t g = state_[6];
    std::uint32_t h = state_[7];
    for (std::size_t i = 0; i < 64; ++i) {
        const std::uint32_t s1 = rotate_right(e, 6) ^ rotate_right(e, 11) ^ rotate_right(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choice + round_constants[i] + w[i];
        const std::uint32_t s0 = rotate_right(a, 2) ^ rotate_right(a, 13) ^ rotate_right(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
}

void Sha256::update(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    total_bytes_ += size;
    if (buffered_ != 0) {
        const std::size_t taken = std::min(size, block_size - buffered_);
        std::memcpy(buffer_.data() + buffered_, bytes, taken);
        buffered_ += taken;
        bytes += taken;
        size -= taken;
        if (buffered_ < block_size) {
            return;
        }
        compress(buffer_.data());
        buffered_ = 0;
    }
    // Whole blocks straight from the caller's memory, without a copy.
    for (; size >= block_size; bytes += block_size, size -= block_size) {
        compress(bytes);
    }
    if (size != 0) {
        std::memcpy(buffer_.data(), bytes, size);
        buffered_ = size;
    }
}

Sha256::Digest Sha256::finish() {
    const std::uint64_t bit_length = total_bytes_ * 8;
    // A one bit, zeros up to 8 bytes short of a block end, then the length in bits.
    std::array<std::uint8_t, block_size + 8> padding{};
    padding[0] = 0x80;
    const std::size_t zeros_to = buffered_ < block_size - 8 ? block_size - 8 : 2 * block_size - 8;
    std::size_t padding_size = zeros_to - buffered_;
    for (unsigned i = 0; i < 8; ++i) {
        padding[padding_size++] = static_cast<std::uint8_t>(bit_length >> (56 - 8 * i));
    }
    update(padding.data(), padding_size);
    Digest digest{};
    for (std::size_t i = 0; i < state_.size(); ++i) {
        for (unsigned k = 0; k < 4; ++k) {
            digest[4 * i + k] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * k));
        }
    }
    reset();
    return digest;
}

std::string digest_hex(const Sha256::Digest& digest) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * digest.size());
    for (const std::uint8_t byte : digest) {
        hex += digits[byte >> 4];
        hex += digits[byte & 0x0F];
    }
    return hex;
}

std::string sha256_hex(std::string_view bytes) {
    Sha256 hash;
    hash.update(bytes);
    return digest_hex(hash.finish());
}

bool file_sha256(const std::string& path, std::string& hex, std::uint64_t& size,
                 std::string* reason) {
    // Only a regular file is read, as the firmware reader reads it: a FIFO or a device at the
    // path is refused at once instead of waited on.
    const std::unique_ptr<std::FILE, FileCloser> stream(
        platform::open_regular_file_for_reading(path));
    if (!stream) {
        set_reason(reason, "Could not open file for reading");
        return false;
    }
    Sha256 hash;
    std::vector<std::uint8_t> chunk(file_chunk_size);
    std::uint64_t total = 0;
    std::size_t got = 0;
    while ((got = std::fread(chunk.data(), 1, chunk.size(), stream.get())) != 0) {
        hash.update(chunk.data(), got);
        total += got;
    }
    if (std::ferror(stream.get()) != 0) {
        set_reason(reason, "Error reading the file");
        return false;
    }
    hex = digest_hex(hash.finish());
    size = total;
    return true;
}

}  // namespace hx4x
