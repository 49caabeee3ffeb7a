#include "visa-sim/received_image.hpp"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace hx4x::visa_sim {

bool ReceivedImage::store(std::uint32_t address, const std::uint8_t* data, std::size_t length) {
    if (length == 0) {
        return true;
    }
    const std::uint64_t begin = address;
    const std::uint64_t end = begin + length;
    // First run that could touch [begin, end]: the last one starting at or before begin.
    auto first = runs_.upper_bound(begin);
    if (first != runs_.begin()) {
        auto before = std::prev(first);
        if (before->first + before->second.size() >= begin) {
            first = before;
        }
    }
    auto last = first;
    std::uint64_t merged_begin = begin;
    std::uint64_t merged_end = end;
    for (; last != runs_.end() && last->first <= end; ++last) {
        const std::uint64_t run_begin = last->first;
        const std::uint64_t run_end = run_begin + last->second.size();
        const std::uint64_t from = std::max(begin, run_begin);
        const std::uint64_t to = std::min(end, run_end);
        for (std::uint64_t a = from; a < to; ++a) {
            if (last->second[a - run_begin] != data[a - begin]) {
                return false;
            }
        }
        merged_begin = std::min(merged_begin, run_begin);
        merged_end = std::max(merged_end, run_end);
    }
    // The usual case, blocks in ascending order: the run the block starts in (or ends at)
    // grows in place, so storing a whole image costs its size, not its size times the
    // number of blocks.
    if (first != runs_.end() && first->first == merged_begin) {
        std::vector<std::uint8_t>& run = first->second;
        const std::size_t old_size = run.size();
        run.resize(static_cast<std::size_t>(merged_end - merged_begin));
        for (auto it = std::next(first); it != last; ++it) {
            std::copy(it->second.begin(), it->second.end(),
                      run.begin() + static_cast<std::ptrdiff_t>(it->first - merged_begin));
        }
        const std::uint64_t from = std::max<std::uint64_t>(begin, merged_begin + old_size);
        if (from < end) {
            std::copy(data + (from - begin), data + length,
                      run.begin() + static_cast<std::ptrdiff_t>(from - merged_begin));
        }
        runs_.erase(std::next(first), last);
        return true;
    }
    std::vector<std::uint8_t> merged(merged_end - merged_begin);
    for (auto it = first; it != last; ++it) {
        std::copy(it->second.begin(), it->second.end(),
                  merged.begin() + static_cast<std::ptrdiff_t>(it->first - merged_begin));
    }
    std::copy(data, data + length,
              merged.begin() + static_cast<std::ptrdiff_t>(begin - merged_begin));
    runs_.erase(first, last);
    runs_.emplace(merged_begin, std::move(merged));
    return true;
}

std::size_t ReceivedImage::byte_count() const {
    std::size_t total = 0;
    for (const auto& run : runs_) {
        total += run.second.size();
    }
    return total;
}

bool ReceivedImage::write_binary(const std::string& path, std::string* error) const {
    std::vector<std::uint8_t> bytes;
    if (!runs_.empty()) {
        const std::uint64_t low = runs_.begin()->first;
        const auto& top = *runs_.rbegin();
        const std::uint64_t span = top.first + top.second.size() - low;
        if (span > max_binary_span) {
            *error =
                "image spans " + std::to_string(span) + " bytes, more than the raw file allows";
            return false;
        }
        bytes.assign(span, 0xFF);
        for (const auto& run : runs_) {
            std::copy(run.second.begin(), run.second.end(),
                      bytes.begin() + static_cast<std::ptrdiff_t>(run.first - low));
        }
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool ReceivedImage::write_map(const std::string& path, std::string* error) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    for (const auto& run : runs_) {
        char head[40];
        std::snprintf(head, sizeof head, "0x%08X %zu ", static_cast<unsigned>(run.first),
                      run.second.size());
        std::string line = head;
        line.reserve(line.size() + run.second.size() * 2 + 1);
        static constexpr char digits[] = "0123456789ABCDEF";
        for (const std::uint8_t byte : run.second) {
            line += digits[byte >> 4];
            line += digits[byte & 0x0F];
        }
        line += '\n';
        file << line;
    }
    file.close();
    if (!file) {
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace hx4x::visa_sim
