#include "platform/program_resource.hpp"

#include "platform/embedded_resources.hpp"

namespace hx4x::platform {

namespace {

// Constant-initialised, so it is empty before any generated table registers itself, whatever
// the order of static initialisation.
constinit EmbeddedResourceTable* first_table = nullptr;

}  // namespace

void register_embedded_resources(EmbeddedResourceTable& table) {
    table.next = first_table;
    first_table = &table;
}

std::span<const std::uint8_t> program_resource(std::string_view name, std::string_view type) {
    for (const EmbeddedResourceTable* table = first_table; table != nullptr; table = table->next) {
        for (std::size_t i = 0; i < table->count; ++i) {
            const EmbeddedResource& entry = table->entries[i];
            if (entry.name == name && entry.type == type) {
                return {entry.data, entry.size};
            }
        }
    }
    return {};
}

}  // namespace hx4x::platform
