#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "app/version_info.hpp"
#include "ui/rich_text_document.hpp"

namespace hx4x {

// The readme as the program carries it: resource "Readme" of type "RTF_DOCUMENT".
inline constexpr char readme_resource_name[] = "Readme";
inline constexpr char product_placeholder[] =
    "HERE_WILL_BE_PROGRAM_NAME_VERSION_AND_BUILD_DATE_TIME";
inline constexpr char file_name_placeholder[] = "HERE_WILL_BE_EXE_FILE_NAME";

// The readme page from the document's RTF bytes: every product placeholder replaced by the
// product text, then every file name placeholder by the release file name. A document that
// is empty or unreadable gives an empty page (no paragraphs).
RichTextDocument readme_document(std::span<const std::uint8_t> rtf, std::string_view product,
                                 std::string_view file_name);

// The same for the program's own readme resource and version record.
RichTextDocument program_readme(const VersionInfo& info);

}  // namespace hx4x
