#include "ui/readme_page.hpp"

#include "platform/program_resource.hpp"
#include "ui/placeholder_replacement.hpp"
#include "ui/product_text.hpp"
#include "ui/rtf_reader.hpp"

namespace hx4x {

RichTextDocument readme_document(std::span<const std::uint8_t> rtf, std::string_view product,
                                 std::string_view file_name) {
    std::optional<RichTextDocument> document = read_rtf(rtf);
    if (!document) {
        return {};
    }
    replace_placeholder(*document, product_placeholder, product);
    replace_placeholder(*document, file_name_placeholder, file_name);
    return std::move(*document);
}

RichTextDocument program_readme(const VersionInfo& info) {
    return readme_document(
        platform::program_resource(readme_resource_name, platform::rtf_document_type),
        product_text(info), release_file_name(info));
}

}  // namespace hx4x
