#pragma once

#include <string_view>

#include "ui/rgb.hpp"

namespace hx4x {

// A partner brand: the release that carries it, its colour and its logo resource.
struct Brand {
    std::string_view release_name;  // without the platform's executable suffix
    Rgb colour;
    std::string_view partner_logo;
};

inline constexpr Brand partner_brands[] = {
    {"RV226xLoader", {0, 73, 182}, "DWERN_LOGO"},
    {"LTA5xLMA5xLoader", {48, 72, 118}, "QUORVELAN_LOGO"},
};

// The brand of a release file name: the release name with the platform's executable suffix,
// compared byte for byte and with case. None for any other name, which keeps the pictures
// as stored.
const Brand* find_brand(std::string_view release_file_name);

}  // namespace hx4x
