#include "visa-sim/visa_simulator.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "visa-search/search_expression.hpp"
#include "visa-sim/status_names.hpp"

namespace hx4x::visa_sim {

namespace {

using visa_search::SearchExpression;

constexpr ViEventType VI_ALL_ENABLED_EVENTS = 0x3FFF7FFFu;
constexpr std::size_t max_config_bytes = 1u << 20;

bool same_name(const std::string& a, const char* b) {
    const std::size_t length = std::strlen(b);
    if (a.size() != length) {
        return false;
    }
    for (std::size_t i = 0; i < length; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y)) {
            return false;
        }
    }
    return true;
}

// Copies into a VISA description buffer of VI_FIND_BUFLEN bytes.
void copy_description(const std::string& text, char* buffer) {
    const std::size_t length = std::min<std::size_t>(text.size(), VI_FIND_BUFLEN - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::string event_type_name(ViEventType type) {
    if (type == VI_EVENT_SERVICE_REQ) {
        return "VI_EVENT_SERVICE_REQ";
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(type));
    return text;
}

std::string attribute_name(ViAttr attribute) {
    if (attribute == VI_ATTR_TMO_VALUE) {
        return "VI_ATTR_TMO_VALUE";
    }
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(attribute));
    return text;
}

bool read_config(const char* path, SimConfig* config, std::string* error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        *error = "cannot read the file";
        return false;
    }
    std::string text;
    char chunk[4096];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        text.append(chunk, static_cast<std::size_t>(file.gcount()));
        if (text.size() > max_config_bytes) {
            *error = "file larger than 1 MiB";
            return false;
        }
    }
    return parse_sim_config(text, config, error);
}

}  // namespace

void VisaSimulator::reset() {
    objects_.clear();
    // This process no longer holds a session on the counters it shares.
    for (std::size_t index = 0; index < counters_.size(); ++index) {
        if (counters_[index].shared) {
            const Hold hold(*this, index);
        }
    }
    counters_.clear();
    transcript_.close();
    config_ = SimConfig{};
    config_error_.clear();
    loaded_ = false;
}

void VisaSimulator::fresh_start() {
    reset();
    loaded_ = true;
    calls_.fill(0);
    const char* path = std::getenv(config_variable);
    if (path != nullptr && path[0] != '\0') {
        std::string error;
        if (!read_config(path, &config_, &error)) {
            config_error_ = std::string(path) + ": " + error;
            return;
        }
    }
    clock_.set_real(config_.real_timeouts);
    if (!config_.transcript_path.empty() &&
        !transcript_.open(config_.transcript_path, config_.transcript_append)) {
        std::fprintf(stderr, "visa-sim: cannot open the transcript %s\n",
                     config_.transcript_path.c_str());
    }
    counters_.reserve(config_.resources.size());
    for (const ResourceConfig& resource : config_.resources) {
        Counter c{resource, CounterModel(resource)};
        c.on_bus = !resource.absent;
        if (!resource.state_path.empty()) {
            c.shared = std::make_unique<SharedCounter>();
            if (!c.shared->open(resource.state_path)) {
                config_error_ = resource.state_path + ": cannot open the state file";
                counters_.clear();
                return;
            }
        }
        counters_.push_back(std::move(c));
    }
}

bool VisaSimulator::injected(EntryPoint entry, ViStatus* status) {
    const auto index = static_cast<std::size_t>(entry);
    const std::uint32_t call = ++calls_[index];
    for (const FailRule& rule : config_.fail_rules) {
        if (rule.entry == entry && rule.calls.contains(call)) {
            *status = rule.status;
            return true;
        }
    }
    return false;
}

void VisaSimulator::log(EntryPoint entry, const std::string& target, const std::string& arguments,
                        ViStatus status, bool injected_fault, const std::string& results) {
    if (!transcript_.is_open()) {
        return;
    }
    std::string line(entry_point_names[static_cast<std::size_t>(entry)]);
    if (!target.empty()) {
        line += ' ';
        line += target;
    }
    if (!arguments.empty()) {
        line += ' ';
        line += arguments;
    }
    line += " -> ";
    line += status_name(status);
    if (injected_fault) {
        line += " (injected)";
    }
    if (!results.empty()) {
        line += ' ';
        line += results;
    }
    transcript_.write_line(line);
}

std::string VisaSimulator::target_name(ViObject object) const {
    const auto found = objects_.find(object);
    std::string prefix = "vi=";
    if (found != objects_.end()) {
        if (const auto* s = std::get_if<Session>(&found->second)) {
            return counters_[s->counter].config.name;
        }
        if (std::holds_alternative<ResourceManager>(found->second)) {
            prefix = "rm=";
        } else if (std::holds_alternative<FindList>(found->second)) {
            prefix = "list=";
        } else {
            prefix = "event=";
        }
    }
    return prefix + std::to_string(object);
}

ViObject VisaSimulator::new_handle(Object object) {
    const ViObject handle = next_handle_++;
    objects_.emplace(handle, std::move(object));
    return handle;
}

VisaSimulator::Session* VisaSimulator::session(ViObject vi) {
    const auto found = objects_.find(vi);
    return found == objects_.end() ? nullptr : std::get_if<Session>(&found->second);
}

bool VisaSimulator::is_resource_manager(ViObject object) const {
    const auto found = objects_.find(object);
    return found != objects_.end() && std::holds_alternative<ResourceManager>(found->second);
}

const CounterModel* VisaSimulator::counter(const std::string& name) const {
    for (const Counter& c : counters_) {
        if (same_name(c.config.name, name.c_str())) {
            return &c.model;
        }
    }
    return nullptr;
}

ViStatus VisaSimulator::open_default_rm(ViSession* rm) {
    const bool any_open = std::any_of(objects_.begin(), objects_.end(), [](const auto& entry) {
        return std::holds_alternative<ResourceManager>(entry.second);
    });
    if (!loaded_ || !any_open) {
        fresh_start();
    }
    if (rm != nullptr) {
        *rm = 0;
    }
    if (!config_error_.empty()) {
        std::fprintf(stderr, "visa-sim: %s\n", config_error_.c_str());
        return VI_ERROR_INV_SETUP;
    }
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::open_default_rm, &status)) {
        log(EntryPoint::open_default_rm, {}, {}, status, true);
        return status;
    }
    if (config_.rm_status != VI_SUCCESS || rm == nullptr) {
        status = rm == nullptr ? VI_ERROR_USER_BUF : config_.rm_status;
        log(EntryPoint::open_default_rm, {}, {}, status, false);
        return status;
    }
    *rm = new_handle(ResourceManager{});
    log(EntryPoint::open_default_rm, {}, {}, VI_SUCCESS, false, "rm=" + std::to_string(*rm));
    return VI_SUCCESS;
}

ViStatus VisaSimulator::open(ViSession rm, const char* name, ViAccessMode, ViUInt32,
                             ViSession* vi) {
    if (vi != nullptr) {
        *vi = 0;
    }
    const std::string target = target_name(rm);
    const std::string shown = name == nullptr ? "(null)" : escape_text(name);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::open, &status)) {
        log(EntryPoint::open, target, shown, status, true);
        return status;
    }
    std::size_t index = counters_.size();
    if (!is_resource_manager(rm)) {
        status = VI_ERROR_INV_OBJECT;
    } else if (name == nullptr) {
        status = VI_ERROR_INV_RSRC_NAME;
    } else if (vi == nullptr) {
        status = VI_ERROR_USER_BUF;
    } else {
        index = 0;
        while (index < counters_.size() && !same_name(counters_[index].config.name, name)) {
            ++index;
        }
        if (index == counters_.size()) {
            status = VI_ERROR_RSRC_NFOUND;
        }
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::open, target, shown, status, false);
        return status;
    }
    const Hold hold(*this, index);
    Counter& c = counters_[index];
    // How a test sees two processes on one counter.
    std::string others;
    if (c.shared) {
        for (const std::uint64_t process : c.shared->other_processes()) {
            others += " [also open in process " + std::to_string(process) + "]";
        }
    }
    const auto results = [&others](std::string text) {
        return text.empty() ? others.substr(std::min<std::size_t>(1, others.size()))
                            : text + others;
    };
    if (!visible(c)) {
        log(EntryPoint::open, target, shown, VI_ERROR_RSRC_NFOUND, false, results({}));
        return VI_ERROR_RSRC_NFOUND;
    }
    if (c.reopen_refusals > 0) {
        --c.reopen_refusals;
        log(EntryPoint::open, target, shown, c.config.refuse_reopen_status, true, results({}));
        return c.config.refuse_reopen_status;
    }
    Session s;
    s.counter = index;
    s.rm = rm;
    s.orders_at_open = c.model.burn_orders();
    *vi = new_handle(std::move(s));
    log(EntryPoint::open, target, shown, VI_SUCCESS, false, results("vi=" + std::to_string(*vi)));
    return VI_SUCCESS;
}

ViStatus VisaSimulator::close(ViObject object) {
    const std::string target = target_name(object);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::close, &status)) {
        log(EntryPoint::close, target, {}, status, true);
        return status;
    }
    if (object == VI_NULL) {
        log(EntryPoint::close, target, {}, VI_WARN_NULL_OBJECT, false);
        return VI_WARN_NULL_OBJECT;
    }
    const auto found = objects_.find(object);
    if (found == objects_.end()) {
        log(EntryPoint::close, target, {}, VI_ERROR_INV_OBJECT, false);
        return VI_ERROR_INV_OBJECT;
    }
    const bool manager = std::holds_alternative<ResourceManager>(found->second);
    std::vector<std::size_t> touched;
    if (const auto* s = std::get_if<Session>(&found->second)) {
        touched.push_back(s->counter);
    }
    objects_.erase(found);
    // Whatever hangs off the closed object goes with it.
    bool removed = true;
    while (removed) {
        removed = false;
        for (auto it = objects_.begin(); it != objects_.end(); ++it) {
            const Object& o = it->second;
            const auto* s = std::get_if<Session>(&o);
            const auto* l = std::get_if<FindList>(&o);
            const auto* e = std::get_if<Event>(&o);
            if ((s != nullptr && s->rm == object) || (l != nullptr && l->rm == object) ||
                (e != nullptr && objects_.count(e->session) == 0)) {
                if (s != nullptr) {
                    touched.push_back(s->counter);
                }
                objects_.erase(it);
                removed = true;
                break;
            }
        }
    }
    // A state file records which processes hold sessions on its counter.
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    for (const std::size_t index : touched) {
        if (counters_[index].shared) {
            const Hold hold(*this, index);
        }
    }
    log(EntryPoint::close, target, {}, VI_SUCCESS, false);
    const bool any_manager = std::any_of(objects_.begin(), objects_.end(), [](const auto& entry) {
        return std::holds_alternative<ResourceManager>(entry.second);
    });
    if (manager && !any_manager) {
        reset();
    }
    return VI_SUCCESS;
}

ViStatus VisaSimulator::find_rsrc(ViSession rm, const char* expression, ViFindList* list,
                                  ViUInt32* count, char* description) {
    if (list != nullptr) {
        *list = 0;
    }
    if (count != nullptr) {
        *count = 0;
    }
    const std::string target = target_name(rm);
    const std::string shown = expression == nullptr ? "(null)" : escape_text(expression);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::find_rsrc, &status)) {
        log(EntryPoint::find_rsrc, target, shown, status, true);
        return status;
    }
    SearchExpression search;
    std::vector<std::string> names;
    if (!is_resource_manager(rm)) {
        status = VI_ERROR_INV_OBJECT;
    } else if (expression == nullptr || !search.compile(expression)) {
        status = VI_ERROR_INV_EXPR;
    } else {
        for (std::size_t index = 0; index < counters_.size(); ++index) {
            const Hold hold(*this, index);
            const Counter& c = counters_[index];
            if (visible(c) && search.matches(c.config.name)) {
                names.push_back(c.config.name);
            }
        }
        status = names.empty() ? VI_ERROR_RSRC_NFOUND : VI_SUCCESS;
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::find_rsrc, target, shown, status, false);
        return status;
    }
    const auto matches = static_cast<ViUInt32>(names.size());
    const std::string first = names.front();
    if (description != nullptr) {
        copy_description(first, description);
    }
    if (count != nullptr) {
        *count = matches;
    }
    std::string results = "count=" + std::to_string(matches) + " " + escape_text(first);
    if (list != nullptr) {
        *list = new_handle(FindList{rm, std::move(names), 1});
    }
    log(EntryPoint::find_rsrc, target, shown, VI_SUCCESS, false, results);
    return VI_SUCCESS;
}

ViStatus VisaSimulator::find_next(ViFindList list, char* description) {
    const std::string target = target_name(list);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::find_next, &status)) {
        log(EntryPoint::find_next, target, {}, status, true);
        return status;
    }
    const auto found = objects_.find(list);
    auto* l = found == objects_.end() ? nullptr : std::get_if<FindList>(&found->second);
    if (l == nullptr) {
        status = VI_ERROR_INV_OBJECT;
    } else if (description == nullptr) {
        status = VI_ERROR_USER_BUF;
    } else if (l->next >= l->names.size()) {
        status = VI_ERROR_RSRC_NFOUND;
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::find_next, target, {}, status, false);
        return status;
    }
    const std::string& name = l->names[l->next++];
    copy_description(name, description);
    log(EntryPoint::find_next, target, {}, VI_SUCCESS, false, escape_text(name));
    return VI_SUCCESS;
}

ViStatus VisaSimulator::session_only_call(EntryPoint entry, ViSession vi,
                                          const std::string& arguments) {
    const std::string target = target_name(vi);
    ViStatus status = VI_SUCCESS;
    if (injected(entry, &status)) {
        log(entry, target, arguments, status, true);
        return status;
    }
    const Session* s = session(vi);
    if (s == nullptr) {
        status = VI_ERROR_INV_OBJECT;
    } else if (!counters_[s->counter].on_bus) {
        status = VI_ERROR_CONN_LOST;
    } else {
        const Hold hold(*this, s->counter);
        status = lost(*s) ? VI_ERROR_CONN_LOST : VI_SUCCESS;
    }
    log(entry, target, arguments, status, false);
    return status;
}

ViStatus VisaSimulator::gpib_control_ren(ViSession vi, ViUInt16 mode) {
    return session_only_call(EntryPoint::gpib_control_ren, vi, "mode=" + std::to_string(mode));
}

ViStatus VisaSimulator::get_attribute(ViObject vi, ViAttr attribute, void* value) {
    const std::string target = target_name(vi);
    const std::string arguments = attribute_name(attribute);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::get_attribute, &status)) {
        log(EntryPoint::get_attribute, target, arguments, status, true);
        return status;
    }
    const Session* s = session(vi);
    if (objects_.count(vi) == 0) {
        status = VI_ERROR_INV_OBJECT;
    } else if (s == nullptr || attribute != VI_ATTR_TMO_VALUE) {
        status = VI_ERROR_NSUP_ATTR;
    } else if (value == nullptr) {
        status = VI_ERROR_USER_BUF;
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::get_attribute, target, arguments, status, false);
        return status;
    }
    std::memcpy(value, &s->timeout_ms, sizeof s->timeout_ms);
    log(EntryPoint::get_attribute, target, arguments, VI_SUCCESS, false,
        std::to_string(s->timeout_ms));
    return VI_SUCCESS;
}

ViStatus VisaSimulator::set_attribute(ViObject vi, ViAttr attribute, ViAttrState value) {
    const std::string target = target_name(vi);
    const std::string arguments = attribute_name(attribute) + "=" + std::to_string(value);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::set_attribute, &status)) {
        log(EntryPoint::set_attribute, target, arguments, status, true);
        return status;
    }
    Session* s = session(vi);
    if (objects_.count(vi) == 0) {
        status = VI_ERROR_INV_OBJECT;
    } else if (s == nullptr || attribute != VI_ATTR_TMO_VALUE) {
        status = VI_ERROR_NSUP_ATTR;
    } else if (value > 0xFFFFFFFFu) {
        status = VI_ERROR_NSUP_ATTR_STATE;
    } else {
        s->timeout_ms = static_cast<ViUInt32>(value);
    }
    log(EntryPoint::set_attribute, target, arguments, status, false);
    return status;
}

ViStatus VisaSimulator::write(ViSession vi, const unsigned char* buffer, ViUInt32 count,
                              ViUInt32* written) {
    if (written != nullptr) {
        *written = 0;
    }
    const std::string target = target_name(vi);
    const std::string_view message =
        buffer == nullptr ? std::string_view()
                          : std::string_view(reinterpret_cast<const char*>(buffer), count);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::write, &status)) {
        log(EntryPoint::write, target, escape_text(message), status, true);
        return status;
    }
    Session* s = session(vi);
    if (s == nullptr) {
        status = VI_ERROR_INV_OBJECT;
    } else if (buffer == nullptr && count > 0) {
        status = VI_ERROR_USER_BUF;
    } else if (!counters_[s->counter].on_bus) {
        status = VI_ERROR_CONN_LOST;
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::write, target, escape_text(message), status, false);
        return status;
    }
    const Hold hold(*this, s->counter);
    if (lost(*s)) {
        log(EntryPoint::write, target, escape_text(message), VI_ERROR_CONN_LOST, false);
        return VI_ERROR_CONN_LOST;
    }
    Counter& c = counters_[s->counter];
    const std::string shown = c.model.receive(message, clock_.now_ms());
    if (written != nullptr) {
        *written = count;
    }
    if (c.config.drop_after_count != 0 &&
        message.substr(0, c.config.drop_after_text.size()) == c.config.drop_after_text) {
        if (++c.drop_matches == c.config.drop_after_count) {
            c.on_bus = false;
        }
    }
    log(EntryPoint::write, target, shown, VI_SUCCESS, false);
    return VI_SUCCESS;
}

ViStatus VisaSimulator::read(ViSession vi, unsigned char* buffer, ViUInt32 count,
                             ViUInt32* returned) {
    if (returned != nullptr) {
        *returned = 0;
    }
    const std::string target = target_name(vi);
    const std::string arguments = "max=" + std::to_string(count);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::read, &status)) {
        log(EntryPoint::read, target, arguments, status, true);
        return status;
    }
    Session* s = session(vi);
    if (s == nullptr) {
        status = VI_ERROR_INV_OBJECT;
    } else if (buffer == nullptr) {
        status = VI_ERROR_USER_BUF;
    } else if (!counters_[s->counter].on_bus) {
        status = VI_ERROR_CONN_LOST;
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::read, target, arguments, status, false);
        return status;
    }
    const std::size_t index = s->counter;
    const Hold hold(*this, index);
    if (lost(*s)) {
        log(EntryPoint::read, target, arguments, VI_ERROR_CONN_LOST, false);
        return VI_ERROR_CONN_LOST;
    }
    Counter& c = counters_[index];
    const std::uint64_t deadline = deadline_ms(s->timeout_ms);
    const std::uint32_t number = ++c.reads;
    const bool timed_out = std::any_of(c.config.read_timeouts.begin(), c.config.read_timeouts.end(),
                                       [number](const CallRange& r) { return r.contains(number); });
    if (timed_out) {
        pass_time(index, deadline);
        log(EntryPoint::read, target, arguments, VI_ERROR_TMO, true);
        return VI_ERROR_TMO;
    }
    // A counter that does not answer lets the read run into its time-out, and does not
    // notice the read either.
    const bool answered = c.model.answers();
    if (!wait_until(index, deadline, [&c] { return c.model.answers() && c.model.has_reply(); })) {
        if (answered && c.model.answers() && !c.model.reply_deferred()) {
            c.model.read_found_nothing();
        }
        log(EntryPoint::read, target, arguments, VI_ERROR_TMO, false);
        return VI_ERROR_TMO;
    }
    bool complete = false;
    const std::string part = count == 0 ? std::string() : c.model.take_reply(count, &complete);
    std::memcpy(buffer, part.data(), part.size());
    if (returned != nullptr) {
        *returned = static_cast<ViUInt32>(part.size());
    }
    status = complete ? VI_SUCCESS : VI_SUCCESS_MAX_CNT;
    pump(index);
    log(EntryPoint::read, target, arguments, status, false, escape_text(part));
    return status;
}

ViStatus VisaSimulator::enable_event(ViSession vi, ViEventType type, ViUInt16 mechanism,
                                     ViEventFilter) {
    const std::string target = target_name(vi);
    const std::string arguments = event_type_name(type) + " mechanism=" + std::to_string(mechanism);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::enable_event, &status)) {
        log(EntryPoint::enable_event, target, arguments, status, true);
        return status;
    }
    Session* s = session(vi);
    if (s == nullptr) {
        status = VI_ERROR_INV_OBJECT;
    } else if (type != VI_EVENT_SERVICE_REQ) {
        status = VI_ERROR_INV_EVENT;
    } else if (mechanism != VI_QUEUE) {
        status = VI_ERROR_INV_MECH;
    } else {
        const Hold hold(*this, s->counter);  // requests raised before enabling are not queued
        if (lost(*s)) {
            status = VI_ERROR_CONN_LOST;
        } else if (s->srq_enabled) {
            status = VI_SUCCESS_EVENT_EN;
        } else {
            s->srq_enabled = true;
        }
    }
    log(EntryPoint::enable_event, target, arguments, status, false);
    return status;
}

ViStatus VisaSimulator::wait_on_event(ViSession vi, ViEventType type, ViUInt32 timeout_ms,
                                      ViEventType* out_type, ViEvent* out_event) {
    if (out_type != nullptr) {
        *out_type = 0;
    }
    if (out_event != nullptr) {
        *out_event = 0;
    }
    const std::string target = target_name(vi);
    const std::string arguments = event_type_name(type) + " timeout=" + std::to_string(timeout_ms);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::wait_on_event, &status)) {
        log(EntryPoint::wait_on_event, target, arguments, status, true);
        return status;
    }
    Session* s = session(vi);
    if (s == nullptr) {
        status = VI_ERROR_INV_OBJECT;
    } else if (type != VI_EVENT_SERVICE_REQ && type != VI_ALL_ENABLED_EVENTS) {
        status = VI_ERROR_INV_EVENT;
    } else if (!s->srq_enabled) {
        status = VI_ERROR_NENABLED;
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::wait_on_event, target, arguments, status, false);
        return status;
    }
    const Hold hold(*this, s->counter);
    if (lost(*s)) {
        log(EntryPoint::wait_on_event, target, arguments, VI_ERROR_CONN_LOST, false);
        return VI_ERROR_CONN_LOST;
    }
    const std::uint64_t deadline = deadline_ms(timeout_ms);
    if (!wait_until(s->counter, deadline, [s] { return !s->events.empty(); })) {
        log(EntryPoint::wait_on_event, target, arguments, VI_ERROR_TMO, false);
        return VI_ERROR_TMO;
    }
    const ViEventType event_type = s->events.front();
    s->events.pop_front();
    status = s->events.empty() ? VI_SUCCESS : VI_SUCCESS_QUEUE_NEMPTY;
    if (out_type != nullptr) {
        *out_type = event_type;
    }
    std::string results;
    if (out_event != nullptr) {
        *out_event = new_handle(Event{vi});
        results = "event=" + std::to_string(*out_event);
    }
    log(EntryPoint::wait_on_event, target, arguments, status, false, results);
    return status;
}

ViStatus VisaSimulator::read_stb(ViSession vi, ViUInt16* stb) {
    const std::string target = target_name(vi);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::read_stb, &status)) {
        log(EntryPoint::read_stb, target, {}, status, true);
        return status;
    }
    Session* s = session(vi);
    if (s == nullptr) {
        status = VI_ERROR_INV_OBJECT;
    } else if (stb == nullptr) {
        status = VI_ERROR_USER_BUF;
    } else if (!counters_[s->counter].on_bus) {
        status = VI_ERROR_CONN_LOST;
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::read_stb, target, {}, status, false);
        return status;
    }
    const Hold hold(*this, s->counter);
    Counter& c = counters_[s->counter];
    if (lost(*s)) {
        status = VI_ERROR_CONN_LOST;
    } else if (!c.model.answers()) {
        // Not even a serial poll gets an answer.
        wait_until(s->counter, deadline_ms(s->timeout_ms), [] { return false; });
        status = VI_ERROR_TMO;
    }
    if (status != VI_SUCCESS) {
        log(EntryPoint::read_stb, target, {}, status, false);
        return status;
    }
    *stb = c.model.serial_poll();
    log(EntryPoint::read_stb, target, {}, VI_SUCCESS, false, "stb=" + std::to_string(*stb));
    return VI_SUCCESS;
}

ViStatus VisaSimulator::status_desc(ViObject vi, ViStatus status_to_describe, char* description) {
    const std::string target = target_name(vi);
    const std::string arguments = status_name(status_to_describe);
    ViStatus status = VI_SUCCESS;
    if (injected(EntryPoint::status_desc, &status)) {
        log(EntryPoint::status_desc, target, arguments, status, true);
        return status;
    }
    if (description == nullptr) {
        log(EntryPoint::status_desc, target, arguments, VI_ERROR_USER_BUF, false);
        return VI_ERROR_USER_BUF;
    }
    const std::string_view known = status_description(status_to_describe);
    if (known.empty()) {
        status = VI_WARN_UNKNOWN_STATUS;
        copy_description("Unknown status " + arguments + ".", description);
    } else {
        copy_description(arguments + ": " + std::string(known), description);
    }
    log(EntryPoint::status_desc, target, arguments, status, false);
    return status;
}

ViStatus VisaSimulator::flush(ViSession vi, ViUInt16 mask) {
    return session_only_call(EntryPoint::flush, vi, "mask=" + std::to_string(mask));
}

}  // namespace hx4x::visa_sim
