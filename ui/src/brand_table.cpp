#include "ui/brand_table.hpp"

#include "platform/executable_suffix.hpp"

namespace hx4x {

const Brand* find_brand(std::string_view release_file_name) {
    const std::string_view suffix = platform::executable_suffix();
    for (const Brand& brand : partner_brands) {
        if (release_file_name.size() == brand.release_name.size() + suffix.size() &&
            release_file_name.starts_with(brand.release_name) &&
            release_file_name.ends_with(suffix)) {
            return &brand;
        }
    }
    return nullptr;
}

}  // namespace hx4x
