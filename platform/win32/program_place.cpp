#include "platform/program_place.hpp"

#include "platform/module_path.hpp"

namespace hx4x::platform {

ProgramPlace program_place(const std::string& written_program_path) {
    ProgramPlace place;
    place.written = written_program_path;
    place.resolved = module_path();
    place.follow_written = true;
    return place;
}

}  // namespace hx4x::platform
