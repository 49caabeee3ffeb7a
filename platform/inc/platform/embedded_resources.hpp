#pragma once

#include <cstddef>
#include <cstdint>

namespace hx4x::platform {

// Resources linked into a program where executables carry no resources of their own. The
// build generates one table per program from the files it names (cmake/EmbedResources.cmake);
// the generated file registers it before main, and program_resource looks names up in it.
struct EmbeddedResource {
    const char* name;
    const char* type;
    const std::uint8_t* data;
    std::size_t size;
};

struct EmbeddedResourceTable {
    const EmbeddedResource* entries;
    std::size_t count;
    EmbeddedResourceTable* next;  // set by the registration
};

// Adds a table to the program's resources. Called during static initialisation only, so it
// needs no lock; the table must live as long as the program.
void register_embedded_resources(EmbeddedResourceTable& table);

}  // namespace hx4x::platform
