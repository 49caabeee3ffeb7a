#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <string>

#include "case_name.hpp"
#include "firmware/sha256.hpp"
#include "temp_dir.hpp"

namespace hx4x {
namespace {

using testing_support::CaseName;
using testing_support::TempDir;
using testing_support::write_file;

// Bytes that differ from one position to the next, so a piece fed twice or in the wrong
// order changes the digest.
std::string pattern(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
    }
    return bytes;
}

struct DigestCase {
    const char* name;
    std::string message;
    const char* digest;
};

class Sha256Digest : public ::testing::TestWithParam<DigestCase> {};

// The whole message at once, then in pieces of every size that meets a block boundary
// differently: the padding at 55/56 bytes and a block ending inside a piece.
TEST_P(Sha256Digest, WholeAndInPiecesAgree) {
    const DigestCase& c = GetParam();
    EXPECT_EQ(sha256_hex(c.message), c.digest);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{55},
                                    std::size_t{63}, std::size_t{64}, std::size_t{65}}) {
        Sha256 hash;
        for (std::size_t at = 0; at < c.message.size(); at += piece) {
            hash.update(c.message.substr(at, piece));
        }
        EXPECT_EQ(digest_hex(hash.finish()), c.digest) << "in pieces of " << piece;
    }
}

INSTANTIATE_TEST_SUITE_P(
    FipsVectorsAndBlockEdges, Sha256Digest,
    ::testing::Values(
        DigestCase{"Empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        DigestCase{"Abc", "abc",
                   "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        DigestCase{"Fips448Bits", "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
                   "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        DigestCase{
            "Fips896BitsTwoBlocks",
            "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopq"
            "klmnopqrlmnopqrsmnopqrstnopqrstu",
            "cf5b16a778af8380036ce59e7b0492370b249b11e8f07a51afac45037afee9d1"},
        DigestCase{"MillionA", std::string(1000000, 'a'),
                   "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        DigestCase{"LengthFitsOnePadding55", pattern(55),
                   "8aa994584139d128848eeebc4e815639ba5ab6e6e39574195a63ac4f14f7c43b"},
        DigestCase{"LengthNeedsSecondBlock56", pattern(56),
                   "ad574708f75c044c9b85de64cb568ee7711ff4f36448c6242f053ba8f6cc2b63"},
        DigestCase{"Length63", pattern(63),
                   "280ed3e8ff1df845b2e7dfe6ac6cee817bef20e783cc65abc41b818b4d2fe076"},
        DigestCase{"LengthOneBlock64", pattern(64),
                   "c6ab9724ade5b6a7a1edfffb12f3aa9181351355af8fd08c919952ad211339dd"},
        DigestCase{"Length65", pattern(65),
                   "788367c73c7ddf4c53f65e68cc0d943e6227ab55b0e78ba63ace822b1c6301c0"},
        DigestCase{"Length119", pattern(119),
                   "3d610547d68216dedf7435a4fb6260353911f6b3fd3f18805ddb8be285d726fe"},
        DigestCase{"Length120", pattern(120),
                   "1f80156a804cb7862ad113e8200e9d74499723e7c7854d5f48776d3148e09656"}),
    CaseName());

#ifndef _WIN32
// The system's own tool on the same bytes: an independent reference for a file that spans
// several of the reader's pieces and ends inside one.
std::string sha256sum_of(const std::string& path) {
    std::FILE* pipe = popen(("sha256sum '" + path + "' 2>/dev/null").c_str(), "r");
    if (pipe == nullptr) {
        return {};
    }
    char digits[65] = {};
    const std::size_t got = std::fread(digits, 1, 64, pipe);
    pclose(pipe);
    return got == 64 ? std::string(digits, 64) : std::string();
}
#endif

TEST(FileSha256Test, DigestAndSizeOfFileAndRefusals) {
    TempDir dir;
    const std::string path = dir.file("fw.hex");
    const std::string bytes = pattern(3 * 65536 + 1234);
    write_file(path, bytes);

    std::string hex;
    std::uint64_t size = 0;
    std::string reason;
    ASSERT_TRUE(file_sha256(path, hex, size, &reason)) << reason;
    EXPECT_EQ(size, bytes.size());
    EXPECT_EQ(hex, sha256_hex(bytes));
#ifndef _WIN32
    const std::string reference = sha256sum_of(path);
    if (!reference.empty()) {
        EXPECT_EQ(hex, reference);
    }
#endif

    for (const std::string& refused : {dir.file("missing.hex"), dir.path().string()}) {
        hex = "unchanged";
        reason.clear();
        EXPECT_FALSE(file_sha256(refused, hex, size, &reason)) << refused;
        EXPECT_EQ(hex, "unchanged");
        EXPECT_FALSE(reason.empty());
    }
}

}  // namespace
}  // namespace hx4x
