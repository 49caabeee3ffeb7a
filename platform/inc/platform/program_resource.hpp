#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace hx4x::platform {

// Resource types of the program's own resources. "BITMAP" is the platform's standard bitmap
// type on Windows; every other type is a type of our own, named as it is.
inline constexpr char rtf_document_type[] = "RTF_DOCUMENT";
inline constexpr char bitmap_type[] = "BITMAP";

// The bytes of a resource that the running program carries: on Windows a resource of the
// program file in the neutral language, elsewhere data linked into the program (see
// embedded_resources.hpp). The bytes live as long as the program; empty when there is no
// resource of that name and type.
std::span<const std::uint8_t> program_resource(std::string_view name, std::string_view type);

}  // namespace hx4x::platform
