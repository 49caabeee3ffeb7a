#include "search_expr_target.hpp"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "visa-search/search_expression.hpp"

namespace hx4x::fuzzing {

namespace {

using visa_search::SearchExpression;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "search expression invariant broken: %s\n", what);
        std::abort();
    }
}

std::string change_case(std::string_view text, bool to_upper) {
    std::string result(text);
    for (char& c : result) {
        if (to_upper && c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (!to_upper && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

// An expression that matches exactly `text`.
std::string literal(std::string_view text) {
    std::string result;
    for (const char c : text) {
        result += '\\';
        result += c;
    }
    return result;
}

bool compiles(const std::string& expression, SearchExpression* search) {
    return expression.size() <= SearchExpression::max_length && search->compile(expression);
}

}  // namespace

void run_search_expr_case(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = input.find('\n');
    const std::string expression(input.substr(0, split));
    const std::string name(split == std::string_view::npos ? std::string_view()
                                                           : input.substr(split + 1, 256));

    SearchExpression exact;
    require(exact.compile(literal(name)) == !name.empty(), "a literal name compiles");
    if (!name.empty()) {
        require(exact.matches(name), "a literal matches its name");
        require(!exact.matches(name + "x"), "a literal matches only the whole name");
        require(exact.matches(change_case(name, true)), "a literal ignores case");
    }

    SearchExpression search;
    std::string error;
    const bool ok = search.compile(expression, &error);
    require(ok || !error.empty(), "a refusal says why");
    if (!ok) {
        require(!search.matches(name), "a refused expression matches nothing");
        return;
    }
    const bool match = search.matches(name);
    require(search.matches(change_case(name, true)) == match, "upper case name, same result");
    require(search.matches(change_case(name, false)) == match, "lower case name, same result");

    SearchExpression variant;
    if (compiles("(" + expression + ")", &variant)) {
        require(variant.matches(name) == match, "grouping changes nothing");
    }
    if (compiles("(" + expression + ")*", &variant)) {
        require(variant.matches(""), "a starred group matches the empty name");
        require(!match || variant.matches(name + name), "a starred group repeats");
    }
    if (!name.empty() && compiles(expression + "|" + literal(name), &variant)) {
        require(variant.matches(name), "an alternative adds its match");
    }
    if (compiles("?*", &variant)) {
        require(variant.matches(name), "?* matches everything");
    }
}

}  // namespace hx4x::fuzzing
