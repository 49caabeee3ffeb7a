#include "visa-search/search_expression.hpp"

#include <utility>

namespace hx4x::visa_search {

namespace {

unsigned char lower(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
unsigned char upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// Every byte that matches one of `set` when case is ignored.
std::bitset<256> fold_case(const std::bitset<256>& set) {
    std::bitset<256> folded;
    for (unsigned c = 0; c < 256; ++c) {
        const auto byte = static_cast<unsigned char>(c);
        folded[c] = set[c] || set[lower(byte)] || set[upper(byte)];
    }
    return folded;
}

struct Node {
    enum class Kind { byte_set, concat, alternation, star, plus };
    Kind kind = Kind::byte_set;
    std::bitset<256> set;
    std::vector<int> children;
};

}  // namespace

// Recursive-descent parser to a syntax tree, then Thompson construction.
class SearchExpressionCompiler {
  public:
    explicit SearchExpressionCompiler(std::string_view text) : text_(text) {}

    bool parse(int* root, std::string* error) {
        if (text_.empty()) {
            return fail("empty expression", error);
        }
        if (text_.size() > SearchExpression::max_length) {
            return fail("expression too long", error);
        }
        const int node = parse_alternation(0);
        if (node >= 0 && pos_ < text_.size()) {
            error_ = "unbalanced parenthesis at offset " + std::to_string(pos_);
        }
        if (!error_.empty()) {
            return fail(error_, error);
        }
        *root = node;
        return true;
    }

    void build(SearchExpression& target, int root) {
        target.states_.clear();
        states_ = &target.states_;
        const int accept = add_state(SearchExpression::State::Kind::accept);
        target.start_ = emit(root, accept);
    }

  private:
    static bool fail(const std::string& text, std::string* error) {
        if (error != nullptr) {
            *error = text;
        }
        return false;
    }

    bool at_end() const { return pos_ >= text_.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(text_[pos_]); }

    int add_node(Node node) {
        nodes_.push_back(std::move(node));
        return static_cast<int>(nodes_.size()) - 1;
    }

    int parse_alternation(int depth) {
        if (depth > SearchExpression::max_nesting) {
            error_ = "groups nested too deeply";
            return -1;
        }
        Node alternation;
        alternation.kind = Node::Kind::alternation;
        for (;;) {
            const int branch = parse_concatenation(depth);
            if (branch < 0) {
                return -1;
            }
            alternation.children.push_back(branch);
            if (at_end() || peek() != '|') {
                break;
            }
            ++pos_;
        }
        if (alternation.children.size() == 1) {
            return alternation.children.front();
        }
        return add_node(std::move(alternation));
    }

    int parse_concatenation(int depth) {
        Node concat;
        concat.kind = Node::Kind::concat;
        while (!at_end() && peek() != '|' && peek() != ')') {
            int atom = parse_atom(depth);
            if (atom < 0) {
                return -1;
            }
            atom = parse_repeats(atom);
            concat.children.push_back(atom);
        }
        if (concat.children.empty()) {
            error_ = "empty alternative at offset " + std::to_string(pos_);
            return -1;
        }
        if (concat.children.size() == 1) {
            return concat.children.front();
        }
        return add_node(std::move(concat));
    }

    // Stacked repeats collapse (x** is x*, x+* is x*), which also keeps the tree shallow.
    int parse_repeats(int atom) {
        while (!at_end() && (peek() == '*' || peek() == '+')) {
            const bool star = peek() == '*';
            ++pos_;
            Node& inner = nodes_[static_cast<std::size_t>(atom)];
            if (inner.kind == Node::Kind::star) {
                continue;
            }
            if (inner.kind == Node::Kind::plus) {
                if (star) {
                    inner.kind = Node::Kind::star;
                }
                continue;
            }
            Node repeat;
            repeat.kind = star ? Node::Kind::star : Node::Kind::plus;
            repeat.children.push_back(atom);
            atom = add_node(std::move(repeat));
        }
        return atom;
    }

    int literal(unsigned char c) {
        Node node;
        node.set[c] = true;
        node.set = fold_case(node.set);
        return add_node(std::move(node));
    }

    int parse_atom(int depth) {
        const unsigned char c = peek();
        switch (c) {
            case '*':
            case '+':
                error_ = "nothing to repeat at offset " + std::to_string(pos_);
                return -1;
            case '?': {
                ++pos_;
                Node any;
                any.set.set();
                return add_node(std::move(any));
            }
            case '\\':
                if (pos_ + 1 >= text_.size()) {
                    error_ = "trailing backslash";
                    return -1;
                }
                pos_ += 2;
                return literal(static_cast<unsigned char>(text_[pos_ - 1]));
            case '(': {
                const std::size_t open = pos_++;
                const int inner = parse_alternation(depth + 1);
                if (inner < 0) {
                    return -1;
                }
                if (at_end() || peek() != ')') {
                    error_ = "unbalanced parenthesis at offset " + std::to_string(open);
                    return -1;
                }
                ++pos_;
                return inner;
            }
            case '[':
                return parse_set();
            default:
                ++pos_;
                return literal(c);
        }
    }

    // One member of a set, with `\` making the next character literal.
    bool set_member(unsigned char* c) {
        if (at_end()) {
            error_ = "unterminated set";
            return false;
        }
        if (peek() == '\\') {
            if (pos_ + 1 >= text_.size()) {
                error_ = "trailing backslash";
                return false;
            }
            ++pos_;
        }
        *c = peek();
        ++pos_;
        return true;
    }

    int parse_set() {
        const std::size_t open = pos_++;
        bool negate = false;
        if (!at_end() && peek() == '^') {
            negate = true;
            ++pos_;
        }
        Node node;
        bool any_member = false;
        while (!at_end() && peek() != ']') {
            unsigned char first = 0;
            if (!set_member(&first)) {
                return -1;
            }
            unsigned char last = first;
            // A '-' right before ']' (or at the end) is a member, not a range.
            if (!at_end() && peek() == '-' && pos_ + 1 < text_.size() && text_[pos_ + 1] != ']') {
                ++pos_;
                if (!set_member(&last)) {
                    return -1;
                }
                if (last < first) {
                    error_ = "reversed range at offset " + std::to_string(pos_ - 1);
                    return -1;
                }
            }
            for (unsigned v = first; v <= last; ++v) {
                node.set[v] = true;
            }
            any_member = true;
        }
        if (at_end()) {
            error_ = "unterminated set at offset " + std::to_string(open);
            return -1;
        }
        ++pos_;  // ']'
        if (!any_member) {
            error_ = "empty set at offset " + std::to_string(open);
            return -1;
        }
        node.set = fold_case(node.set);
        if (negate) {
            node.set.flip();
        }
        return add_node(std::move(node));
    }

    int add_state(SearchExpression::State::Kind kind) {
        SearchExpression::State state;
        state.kind = kind;
        states_->push_back(state);
        return static_cast<int>(states_->size()) - 1;
    }

    // Builds the automaton for `node` backwards from its continuation `next`.
    int emit(int index, int next) {
        const Node& node = nodes_[static_cast<std::size_t>(index)];
        using Kind = SearchExpression::State::Kind;
        switch (node.kind) {
            case Node::Kind::byte_set: {
                const int state = add_state(Kind::byte_set);
                (*states_)[static_cast<std::size_t>(state)].set = node.set;
                (*states_)[static_cast<std::size_t>(state)].next = next;
                return state;
            }
            case Node::Kind::concat: {
                int start = next;
                for (auto it = node.children.rbegin(); it != node.children.rend(); ++it) {
                    start = emit(*it, start);
                }
                return start;
            }
            case Node::Kind::alternation: {
                int start = emit(node.children.back(), next);
                for (auto it = node.children.rbegin() + 1; it != node.children.rend(); ++it) {
                    const int branch = emit(*it, next);
                    const int split = add_state(Kind::split);
                    (*states_)[static_cast<std::size_t>(split)].next = branch;
                    (*states_)[static_cast<std::size_t>(split)].other = start;
                    start = split;
                }
                return start;
            }
            case Node::Kind::star:
            case Node::Kind::plus: {
                const int loop = add_state(Kind::split);
                const int body = emit(node.children.front(), loop);
                (*states_)[static_cast<std::size_t>(loop)].next = body;
                (*states_)[static_cast<std::size_t>(loop)].other = next;
                return node.kind == Node::Kind::star ? loop : body;
            }
        }
        return next;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::vector<Node> nodes_;
    std::string error_;
    std::vector<SearchExpression::State>* states_ = nullptr;
};

bool SearchExpression::compile(std::string_view expression, std::string* error) {
    states_.clear();
    start_ = -1;
    SearchExpressionCompiler compiler(expression);
    int root = -1;
    if (!compiler.parse(&root, error)) {
        return false;
    }
    compiler.build(*this, root);
    return true;
}

bool SearchExpression::matches(std::string_view name) const {
    if (start_ < 0) {
        return false;
    }
    const std::size_t count = states_.size();
    std::vector<int> current;
    std::vector<int> following;
    std::vector<std::size_t> seen(count, 0);
    std::vector<int> stack;
    std::size_t generation = 0;

    // Adds `state` and everything reachable from it through splits.
    auto add_closure = [&](std::vector<int>& list, int state) {
        stack.push_back(state);
        while (!stack.empty()) {
            const int s = stack.back();
            stack.pop_back();
            if (s < 0 || seen[static_cast<std::size_t>(s)] == generation) {
                continue;
            }
            seen[static_cast<std::size_t>(s)] = generation;
            const State& st = states_[static_cast<std::size_t>(s)];
            if (st.kind == State::Kind::split) {
                stack.push_back(st.other);
                stack.push_back(st.next);
            } else {
                list.push_back(s);
            }
        }
    };

    ++generation;
    add_closure(current, start_);
    for (const char ch : name) {
        const auto byte = static_cast<unsigned char>(ch);
        ++generation;
        following.clear();
        for (const int s : current) {
            const State& st = states_[static_cast<std::size_t>(s)];
            if (st.kind == State::Kind::byte_set && st.set[byte]) {
                add_closure(following, st.next);
            }
        }
        current.swap(following);
        if (current.empty()) {
            return false;
        }
    }
    for (const int s : current) {
        if (states_[static_cast<std::size_t>(s)].kind == State::Kind::accept) {
            return true;
        }
    }
    return false;
}

}  // namespace hx4x::visa_search
