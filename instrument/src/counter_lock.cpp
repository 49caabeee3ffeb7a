#include "instrument/counter_lock.hpp"

#include <cstdint>

#include "instrument/resource_name.hpp"
#include "platform/instance_token.hpp"

namespace hx4x {

CounterLock::CounterLock() = default;
CounterLock::~CounterLock() = default;

std::string CounterLock::token_name(const std::string& resource_name) {
    const std::string name = folded_resource_name(resource_name);
    // FNV-1a over the folded name: the readable part below is cut and simplified.
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : name) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    std::string readable;
    for (const char c : name) {
        if (readable.size() == 64) {
            break;
        }
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        readable += plain ? c : '_';
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex(16, '0');
    for (int i = 15; i >= 0; --i) {
        hex[static_cast<std::size_t>(i)] = digits[hash & 0xF];
        hash >>= 4;
    }
    return "hx4x-counter-" + readable + "-" + hex;
}

CounterLock::Claim CounterLock::take(const std::string& resource_name) {
    const std::string name = folded_resource_name(resource_name);
    if (token_ && held_ == name) {
        return Claim::taken;
    }
    release();
    bool existed = false;
    token_ = platform::claim_instance_token(
        platform::machine_wide_token_name(token_name(resource_name)), existed);
    if (!token_) {
        return existed ? Claim::held_elsewhere : Claim::unavailable;
    }
    held_ = name;
    return Claim::taken;
}

void CounterLock::release() {
    token_.reset();
    held_.clear();
}

bool CounterLock::holds(const std::string& resource_name) const {
    return token_ && held_ == folded_resource_name(resource_name);
}

}  // namespace hx4x
