#pragma once

#include <string>
#include <vector>

namespace hx4x {

// The name of the catch-all argument that takes any token that is no argument's name.
inline constexpr char unnamed_parameter[] = "unnamed parameter";

struct AllowedValue {
    std::vector<std::string> names;  // the first is the main name
    bool case_sensitive = false;
    std::string description;
};

// One argument definition and, after a parse, what the command line gave it.
struct CommandLineArgument {
    std::vector<std::string> names;  // at least one; the first is the main name
    bool case_sensitive = false;
    bool takes_value = false;
    bool repeatable = false;
    bool mandatory = false;
    bool hidden = false;  // parsed, but left out of the usage text
    std::string description;
    std::string value_name;
    std::vector<AllowedValue> allowed_values;  // empty: any value

    bool given = false;
    std::vector<std::string> values;  // as written, in order of occurrence
};

}  // namespace hx4x
