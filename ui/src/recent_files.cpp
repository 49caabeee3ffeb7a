#include "ui/recent_files.hpp"

#include <algorithm>

#include "ui/settings_keys.hpp"

namespace hx4x {

namespace {

unsigned char folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

bool same_ignoring_case(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return folded(x) == folded(y); });
}

bool before_ignoring_case(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return folded(x) < folded(y); });
}

}  // namespace

std::string RecentFiles::selected_text() const {
    return selected_ ? entries_[*selected_] : std::string();
}

void RecentFiles::clear() {
    entries_.clear();
    selected_.reset();
}

std::size_t RecentFiles::add(const std::string& entry) {
    // A linear search, not a binary one: inserted entries may leave the list unsorted.
    const auto later = std::find_if(entries_.begin(), entries_.end(), [&](const std::string& e) {
        return before_ignoring_case(entry, e);
    });
    const auto position = static_cast<std::size_t>(later - entries_.begin());
    insert(position, entry);
    return position;
}

void RecentFiles::insert(std::size_t position, const std::string& entry) {
    position = std::min(position, entries_.size());
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(position), entry);
    if (selected_ && *selected_ >= position) {
        ++*selected_;
    }
}

void RecentFiles::select(std::size_t index) {
    selected_ = index < entries_.size() ? std::optional<std::size_t>(index) : std::nullopt;
}

void RecentFiles::erase(std::size_t position) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    if (selected_ && *selected_ == position) {
        selected_.reset();
    } else if (selected_ && *selected_ > position) {
        --*selected_;
    }
}

bool RecentFiles::same_file(const std::string& a, const std::string& b) const {
    return ignore_case_ ? same_ignoring_case(a, b) : a == b;
}

void RecentFiles::remember_file(const std::string& name) {
    if (name.empty()) {
        clear();
        return;
    }
    // The whole name must match: a name that merely begins another (fw.hex and fw.hex.bak)
    // is another file, and dropping that one would keep this one twice.
    std::optional<std::size_t> found;
    for (std::size_t i = 1; i < entries_.size() && !found; ++i) {
        if (same_file(entries_[i], name)) {
            found = i;
        }
    }
    if (!found && !entries_.empty() && same_file(entries_.front(), name)) {
        found = 0;
    }
    if (found) {
        erase(*found);
    } else if (entries_.size() == full) {
        erase(entries_.size() - 1);
    }
    insert(0, name);
    select(0);
}

void RecentFiles::load(const LoaderSettings& settings, const std::string& firmware_file) {
    clear();
    for (std::size_t n = 0; entries_.size() < most_loaded; ++n) {
        const std::string value =
            settings.read_indexed(n, settings_key::hex_file_name, settings_key::section, "");
        if (value.empty()) {
            break;
        }
        add(value);
    }
    if (!entries_.empty()) {
        select(0);
    }
    remember_file(firmware_file);
}

void load_last_used(const LoaderSettings& settings, std::string& selected_address,
                    std::string& firmware_file) {
    if (selected_address.empty()) {
        selected_address =
            settings.read(settings_key::section, settings_key::last_used_instrument, "");
    }
    if (firmware_file.empty()) {
        firmware_file = settings.read(settings_key::section, settings_key::last_used_hex_file, "");
    }
}

bool save_loader_settings(LoaderSettings& settings, const RecentFiles& recent_files,
                          const std::string& firmware_file, const std::string& selected_address) {
    // A program that could not name its settings file runs on defaults and loses nothing.
    if (settings.path().empty()) {
        return true;
    }
    bool saved = true;
    const std::vector<std::string>& entries = recent_files.entries();
    for (std::size_t n = 0; n < entries.size(); ++n) {
        saved &= settings.write_indexed(n, settings_key::hex_file_name, settings_key::section,
                                        entries[n]);
    }
    saved &= settings.write_indexed(entries.size(), settings_key::hex_file_name,
                                    settings_key::section, "");
    saved &= settings.write(settings_key::section, settings_key::last_used_hex_file, firmware_file);
    saved &=
        settings.write(settings_key::section, settings_key::last_used_instrument, selected_address);
    return saved;
}

}  // namespace hx4x
