#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace hx4x::visa_search {

// A compiled VISA resource search expression. Matching runs a Thompson automaton, so its
// time is bounded by name length times expression size whatever the expression is.
class SearchExpression {
  public:
    static constexpr std::size_t max_length = 4095;
    static constexpr int max_nesting = 64;

    // False (with one text in `error`) for an expression VISA would refuse.
    bool compile(std::string_view expression, std::string* error = nullptr);
    // Whole-name, case-insensitive match; false before a successful compile.
    bool matches(std::string_view name) const;

  private:
    struct State {
        enum class Kind : std::uint8_t { byte_set, split, accept };
        Kind kind = Kind::accept;
        std::bitset<256> set;
        int next = -1;
        int other = -1;  // second branch of a split
    };

    std::vector<State> states_;
    int start_ = -1;

    friend class SearchExpressionCompiler;
};

}  // namespace hx4x::visa_search
