#include "platform/version_resource.hpp"

#include <elf.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <limits>

namespace hx4x::platform {

namespace {

// Bounds for what a hostile file may make us read: a version record cannot exceed 64 KiB,
// and no sane executable has a megabyte of section headers or section names.
constexpr std::uint64_t max_table_bytes = 1u << 20;
constexpr std::uint64_t max_record_bytes = 1u << 16;

class ElfFile {
  public:
    explicit ElfFile(const std::string& path) : stream_(path, std::ios::binary) {
        if (stream_) {
            stream_.seekg(0, std::ios::end);
            const std::streamoff end = stream_.tellg();
            size_ = end > 0 ? static_cast<std::uint64_t>(end) : 0;
        }
    }

    bool read(std::uint64_t offset, std::uint64_t length, std::vector<std::uint8_t>& out) {
        out.clear();
        if (offset > size_ || length > size_ - offset) {
            return false;
        }
        out.resize(static_cast<std::size_t>(length));
        stream_.clear();
        stream_.seekg(static_cast<std::streamoff>(offset));
        stream_.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(length));
        return static_cast<std::uint64_t>(stream_.gcount()) == length;
    }

  private:
    std::ifstream stream_;
    std::uint64_t size_ = 0;
};

// Fields are read byte by byte in the file's own byte order, so neither alignment nor the
// host's order matters.
class Fields {
  public:
    Fields(const std::vector<std::uint8_t>& bytes, bool big_endian)
        : bytes_(bytes), big_endian_(big_endian) {}

    std::uint64_t get(std::size_t offset, std::size_t width) const {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t at = big_endian_ ? offset + i : offset + width - 1 - i;
            value = (value << 8) | bytes_[at];
        }
        return value;
    }

  private:
    const std::vector<std::uint8_t>& bytes_;
    bool big_endian_;
};

struct Layout {
    std::size_t header_size, shoff, shoff_width, shentsize, shnum, shstrndx;
    std::size_t section_size, sh_name, sh_type, sh_offset, sh_size, sh_link, word;
};

constexpr Layout layout32{sizeof(Elf32_Ehdr),
                          offsetof(Elf32_Ehdr, e_shoff),
                          4,
                          offsetof(Elf32_Ehdr, e_shentsize),
                          offsetof(Elf32_Ehdr, e_shnum),
                          offsetof(Elf32_Ehdr, e_shstrndx),
                          sizeof(Elf32_Shdr),
                          offsetof(Elf32_Shdr, sh_name),
                          offsetof(Elf32_Shdr, sh_type),
                          offsetof(Elf32_Shdr, sh_offset),
                          offsetof(Elf32_Shdr, sh_size),
                          offsetof(Elf32_Shdr, sh_link),
                          4};

constexpr Layout layout64{sizeof(Elf64_Ehdr),
                          offsetof(Elf64_Ehdr, e_shoff),
                          8,
                          offsetof(Elf64_Ehdr, e_shentsize),
                          offsetof(Elf64_Ehdr, e_shnum),
                          offsetof(Elf64_Ehdr, e_shstrndx),
                          sizeof(Elf64_Shdr),
                          offsetof(Elf64_Shdr, sh_name),
                          offsetof(Elf64_Shdr, sh_type),
                          offsetof(Elf64_Shdr, sh_offset),
                          offsetof(Elf64_Shdr, sh_size),
                          offsetof(Elf64_Shdr, sh_link),
                          8};

bool find_section(ElfFile& file, const std::string& name, std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> ident;
    if (!file.read(0, EI_NIDENT, ident) || std::memcmp(ident.data(), ELFMAG, SELFMAG) != 0) {
        return false;
    }
    const bool is64 = ident[EI_CLASS] == ELFCLASS64;
    if (!is64 && ident[EI_CLASS] != ELFCLASS32) {
        return false;
    }
    if (ident[EI_DATA] != ELFDATA2LSB && ident[EI_DATA] != ELFDATA2MSB) {
        return false;
    }
    const bool big = ident[EI_DATA] == ELFDATA2MSB;
    const Layout& l = is64 ? layout64 : layout32;

    std::vector<std::uint8_t> header;
    if (!file.read(0, l.header_size, header)) {
        return false;
    }
    const Fields eh(header, big);
    const std::uint64_t shoff = eh.get(l.shoff, l.shoff_width);
    const std::uint64_t entsize = eh.get(l.shentsize, 2);
    std::uint64_t count = eh.get(l.shnum, 2);
    std::uint64_t names_index = eh.get(l.shstrndx, 2);
    if (shoff == 0 || entsize < l.section_size) {
        return false;
    }

    // Files with many sections keep the real count and name-table index in section 0.
    std::vector<std::uint8_t> entry;
    if (!file.read(shoff, entsize, entry)) {
        return false;
    }
    const Fields first(entry, big);
    if (count == 0) {
        count = first.get(l.sh_size, l.word);
    }
    if (names_index == SHN_XINDEX) {
        names_index = first.get(l.sh_link, 4);
    }
    if (count == 0 || count > max_table_bytes / entsize || names_index >= count) {
        return false;
    }

    std::vector<std::uint8_t> table;
    if (!file.read(shoff, count * entsize, table)) {
        return false;
    }
    const Fields sections(table, big);
    auto field = [&](std::uint64_t index, std::size_t offset, std::size_t width) {
        return sections.get(static_cast<std::size_t>(index * entsize) + offset, width);
    };

    const std::uint64_t names_size = field(names_index, l.sh_size, l.word);
    std::vector<std::uint8_t> names;
    if (names_size > max_table_bytes ||
        !file.read(field(names_index, l.sh_offset, l.word), names_size, names)) {
        return false;
    }

    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = field(i, l.sh_name, 4);
        if (at >= names.size() || names.size() - at <= name.size() ||
            std::memcmp(names.data() + at, name.c_str(), name.size() + 1) != 0) {
            continue;
        }
        const std::uint64_t size = field(i, l.sh_size, l.word);
        if (field(i, l.sh_type, 4) == SHT_NOBITS || size == 0 || size > max_record_bytes) {
            return false;
        }
        return file.read(field(i, l.sh_offset, l.word), size, bytes);
    }
    return false;
}

}  // namespace

bool read_version_resource(const std::string& file_path,
                           const std::optional<std::string>& resource_name, std::uint16_t,
                           std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    ElfFile file(file_path);
    if (!find_section(file, resource_name.value_or(version_section_name), bytes)) {
        bytes.clear();
        return false;
    }
    return true;
}

bool write_version_resource(const std::string&, const std::vector<std::uint8_t>&,
                            std::string* error) {
    if (error != nullptr) {
        *error = "Version records of this platform are written with objcopy --update-section";
    }
    return false;
}

}  // namespace hx4x::platform
