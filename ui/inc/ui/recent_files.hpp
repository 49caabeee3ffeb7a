#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_name_case.hpp"
#include "ui/loader_settings.hpp"

namespace hx4x {

// The list of the firmware file box, kept apart from any window so that the window only
// mirrors it: most recent first from the second entry on, near ten entries long.
class RecentFiles {
  public:
    // Loading stops at this many entries.
    static constexpr std::size_t most_loaded = 11;
    // A new name pushes the last entry out of a list this long.
    static constexpr std::size_t full = 10;

    // ignore_case: whether two names differing only in (ASCII) letter case are one file.
    explicit RecentFiles(bool ignore_case = platform::file_names_ignore_case())
        : ignore_case_(ignore_case) {}

    const std::vector<std::string>& entries() const { return entries_; }
    std::optional<std::size_t> selected() const { return selected_; }
    // The selected entry, or empty when none is.
    std::string selected_text() const;

    void clear();
    // Sorted in, without regard to case, after the entries equal to it; its position.
    std::size_t add(const std::string& entry);
    // At the position (at most the end), where it stays.
    void insert(std::size_t position, const std::string& entry);
    // Selects nothing when the index is past the end.
    void select(std::size_t index);

    // An empty name empties the list. Otherwise an entry naming the same file (looked for
    // from the second entry to the last, then at the first) is dropped, or the last one when
    // the list is full, and the name goes first, selected.
    void remember_file(const std::string& name);

    // Fills the list from the numbered keys (up to the first empty value, at most
    // most_loaded), selects the first entry, then remembers the firmware file.
    void load(const LoaderSettings& settings, const std::string& firmware_file);

  private:
    bool same_file(const std::string& a, const std::string& b) const;
    void erase(std::size_t position);

    bool ignore_case_;
    std::vector<std::string> entries_;
    std::optional<std::size_t> selected_;
};

// Fills the instrument address and the firmware file from the settings where they are empty
// (the command line named none).
void load_last_used(const LoaderSettings& settings, std::string& selected_address,
                    std::string& firmware_file);

// The recent files in list order, an empty key after the last (older numbers beyond it stay
// in the file and are never read), then the last used firmware file and instrument. False
// when any of it could not be written.
bool save_loader_settings(LoaderSettings& settings, const RecentFiles& recent_files,
                          const std::string& firmware_file, const std::string& selected_address);

}  // namespace hx4x
