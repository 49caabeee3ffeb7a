#include "console/several_counters.hpp"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "app/emulated_version.hpp"
#include "console/console_texts.hpp"
#include "console/console_view.hpp"
#include "console/dump_warnings.hpp"
#include "console/results_table.hpp"
#include "instrument/counter_lock.hpp"
#include "instrument/resource_name.hpp"
#include "ui/controller_texts.hpp"
#include "ui/transfer_gate.hpp"
#include "ui/update_history.hpp"
#include "ui/update_job.hpp"
#include "update/fill_block.hpp"

namespace hx4x {

namespace {

namespace text = controller_text;

std::vector<std::string> split_names(const std::string& list) {
    std::vector<std::string> names;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        const std::size_t end = std::min(list.find(',', begin), list.size());
        std::string name = list.substr(begin, end - begin);
        const std::size_t first = name.find_first_not_of(" \t");
        const std::size_t last = name.find_last_not_of(" \t");
        if (first != std::string::npos) {
            names.push_back(name.substr(first, last - first + 1));
        }
        begin = end + 1;
    }
    return names;
}

// Counters behind one GPIB board share its bus; every other interface is a counter's own.
std::string shared_bus_of(const std::string& resource) {
    const std::string folded = folded_resource_name(resource);
    if (folded.rfind("GPIB", 0) != 0) {
        return {};
    }
    return folded.substr(0, folded.find("::"));
}

bool file_name_char(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
           c == '_';
}

bool safe_for_file_name(const std::string& value) {
    return !value.empty() && value.size() <= 32 &&
           std::all_of(value.begin(), value.end(), file_name_char);
}

std::string file_name_safe(const std::string& value) {
    std::string safe;
    for (char c : value) {
        safe += file_name_char(c) ? c : '_';
    }
    return safe;
}

// What a job reported, kept for the main thread, which alone writes to the console.
struct JobEvent {
    enum class Kind { step, position, message } kind = Kind::position;
    std::string text;
    bool burning = false;
    MessageKind message_kind = MessageKind::information;
    std::uint32_t value = 0;
};

// One counter of the run: its claim, session, job and progress, and the events its job
// thread reports.
class CounterWork : public UpdateJobSink {
  public:
    CounterWork(std::string resource, ConsoleOutput& output, ProgressMode mode,
                std::condition_variable& wake)
        : resource_(std::move(resource)), renderer_(output, mode), output_(output), wake_(wake) {
        result_.resource = resource_;
        board_line_ = resource_;
    }
    ~CounterWork() override {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    const std::string& resource() const { return resource_; }
    const std::string& board_line() const { return board_line_; }
    const CounterIdentity& identity() const { return protocol_.identity(); }
    bool finished() const { return finished_; }
    CounterResult& result() { return result_; }

    // Claims, opens and identifies the counter and checks that the image fits it; a counter
    // refused here is left as it was.
    bool open(const CheckedImage& image) {
        UpdateOutcome& outcome = result_.outcome;
        outcome.file = image.file;
        outcome.file_version = image.version;
        outcome.file_size = image.size;
        outcome.file_sha256 = image.sha256;
        outcome.step = UpdateStep::open;
        if (!emulation_on() && lock_.take(resource_) == CounterLock::Claim::held_elsewhere) {
            refuse(text::counter_in_use_head + resource_ + text::counter_in_use_tail);
            return false;
        }
        if (!protocol_.connect(resource_)) {
            lock_.release();
            refuse(text::open_failure_head + resource_ + text::open_failure_tail);
            return false;
        }
        outcome.before = protocol_.identity();
        const std::string refusal = image_block_refusal(
            image.reader->records(), block_width_for(protocol_.identity().version_number));
        if (!refusal.empty()) {
            // Refused as the file check refuses; the step stays before the preparation, so
            // the untouched counter is not recorded as updated.
            outcome.step = UpdateStep::start_check;
            close();
            refuse(text::unsendable(image.file, refusal));
            return false;
        }
        return true;
    }

    void start(std::shared_ptr<const HexFileReader> image, UpdateJobOptions options,
               std::vector<std::uint64_t> record_bytes, bool board, std::size_t label_width) {
        record_bytes_ = std::move(record_bytes);
        label_ = resource_;
        label_.resize(std::max(label_width, resource_.size()), ' ');
        board_line_ = label_;
        renderer_.set_resource(resource_, true, board ? &board_line_ : nullptr, label_);
        job_ = std::make_unique<UpdateJob>(protocol_, *this, result_.outcome, std::move(options));
        thread_ = std::thread([this, image] {
            job_->run(image);
            finished_ = true;
            wake_.notify_all();
        });
    }

    void cancel() {
        if (job_) {
            job_->cancel();
        }
    }

    // Takes the job's events into the progress and the messages; on the main thread only.
    void pump() {
        std::deque<JobEvent> events;
        {
            const std::lock_guard<std::mutex> guard(mutex_);
            events.swap(events_);
        }
        for (const JobEvent& event : events) {
            switch (event.kind) {
                case JobEvent::Kind::step:
                    renderer_.begin_step(event.text, event.burning,
                                         event.text == text::sending_caption);
                    renderer_.set_range(event.value);
                    if (event.text == text::sending_caption) {
                        renderer_.set_record_bytes(record_bytes_);
                    }
                    renderer_.set_position(0);
                    break;
                case JobEvent::Kind::position:
                    renderer_.set_position(event.value);
                    break;
                case JobEvent::Kind::message:
                    show_now(event.message_kind, event.text);
                    break;
            }
        }
    }

    // After the job: the session closed, the claim given up, the result settled.
    // Once only; a counter that ended shows its outcome while the others still work.
    void finish(ProgressMode mode) {
        if (settled_) {
            return;
        }
        settled_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        pump();
        renderer_.end();
        close();
        result_.status = exit_status_for(result_.outcome);
        if (mode == ProgressMode::terminal) {
            board_line_ = label_ + "  " + outcome_text(result_);
        }
        warn_about_dumps(result_.outcome.dumps, [this](const std::string& warning) {
            show_now(MessageKind::warning, warning, false);
        });
        if (result_.status == ExitStatus::success && !result_.outcome.burned) {
            show_now(MessageKind::warning, console_text::burn_skipped, false);
        }
        record();
    }

    // UpdateJobSink, on the job's thread.
    void begin_step(UpdateStep step, const char* caption, std::uint32_t range) override {
        range_ = range;
        JobEvent event;
        event.kind = JobEvent::Kind::step;
        event.text = caption;
        event.burning = step == UpdateStep::burn;
        event.value = range;
        push(std::move(event));
    }
    bool progress(std::uint32_t done, std::uint32_t total) override {
        push_position(bar_position(range_, done, total));
        return true;
    }
    void burn_tick(int tick) override {
        if (const std::optional<std::uint32_t> position = burn_bar_position(tick)) {
            push_position(*position);
        }
    }
    void show(MessageKind kind, const std::string& message_text) override {
        JobEvent event;
        event.kind = JobEvent::Kind::message;
        event.message_kind = kind;
        event.text = message_text;
        push(std::move(event));
    }
    bool confirm(const FirmwareVersion&, const std::string&) override { return true; }

  private:
    void push(JobEvent event) {
        {
            const std::lock_guard<std::mutex> guard(mutex_);
            events_.push_back(std::move(event));
        }
        wake_.notify_all();
    }
    void push_position(std::uint32_t position) {
        const std::lock_guard<std::mutex> guard(mutex_);
        // Positions between two looks of the main thread are one: the queue stays short.
        if (!events_.empty() && events_.back().kind == JobEvent::Kind::position) {
            events_.back().value = position;
            return;
        }
        JobEvent event;
        event.value = position;
        events_.push_back(std::move(event));
    }

    // A message of this counter, named by its address, on the main thread.
    void show_now(MessageKind kind, const std::string& message_text, bool is_result = true) {
        if (is_result) {
            result_.result = message_text;
        }
        if (output_.json()) {
            output_.json_line(JsonObject()
                                  .add("event", "message")
                                  .add("resource", resource_)
                                  .add("kind", message_kind_name(kind))
                                  .add("text", message_text));
            return;
        }
        // The success box's text is in the table at the end.
        if (kind != MessageKind::information) {
            output_.message_line(message_prefix(kind), resource_ + ": " + message_text);
        }
    }
    void refuse(const std::string& message_text) {
        show_now(MessageKind::error, message_text);
        result_.status = exit_status_for(result_.outcome);
    }
    // The update in the update history, each counter's in one whole line of its own.
    void record() {
        if (!reached_preparation(result_.outcome)) {
            return;
        }
        std::string reason;
        if (!append_history(history_record(result_.outcome, result_.status), &reason)) {
            show_now(MessageKind::warning, reason, false);
        }
    }
    void close() {
        protocol_.disconnect();
        lock_.release();
    }
    std::string resource_;
    ProgressRenderer renderer_;
    ConsoleOutput& output_;
    std::condition_variable& wake_;
    CounterLock lock_;
    CounterProtocol protocol_;
    CounterResult result_;
    std::unique_ptr<UpdateJob> job_;
    std::thread thread_;
    std::atomic<bool> finished_{false};
    std::uint32_t range_ = 0;
    std::vector<std::uint64_t> record_bytes_;
    std::string board_line_;
    std::string label_;
    bool settled_ = false;
    std::mutex mutex_;
    std::deque<JobEvent> events_;
};

}  // namespace

namespace {

// The confirmation: every counter to update, then the file, its version and its SHA-256.
std::string confirmation_question(const std::vector<CounterWork*>& ready,
                                  const CheckedImage& image) {
    std::string question = console_text::several_confirmation_head;
    for (const CounterWork* work : ready) {
        const CounterIdentity& identity = work->identity();
        question += "\t" + work->resource() + "\t" + identity.model + "\t" +
                    identity.serial_number + "\t" + identity.firmware_version + "\n";
    }
    question += text::confirmation_file + image.file + "\n";
    if (image.version.known) {
        question += text::confirmation_version + image.version.text + "\n";
    }
    if (!image.sha256.empty()) {
        question += text::confirmation_sha256 + image.sha256 + "\n";
    }
    question += text::confirmation_tail;
    return question;
}

// A dump tag for each counter: its serial number when that is unique in the run and fit for a
// file name, else its address made fit.
void give_dump_tags(const std::vector<CounterWork*>& ready, std::vector<std::string>& tags) {
    std::map<std::string, int> serials;
    for (const CounterWork* work : ready) {
        ++serials[work->identity().serial_number];
    }
    for (const CounterWork* work : ready) {
        const std::string& serial = work->identity().serial_number;
        tags.push_back(safe_for_file_name(serial) && serials[serial] == 1
                           ? serial
                           : file_name_safe(work->resource()));
    }
}

}  // namespace

bool names_several_counters(const std::string& counter) {
    return folded_resource_name(counter) == "ALL" || counter.find(',') != std::string::npos;
}

std::vector<std::string> chosen_counters(const std::string& counter,
                                         const std::vector<std::string>& found,
                                         std::vector<std::string>& missing) {
    if (folded_resource_name(counter) == "ALL") {
        return found;
    }
    std::vector<std::string> chosen;
    for (const std::string& name : split_names(counter)) {
        const auto listed = std::find_if(found.begin(), found.end(), [&name](const std::string& f) {
            return same_resource_name(f, name);
        });
        if (listed == found.end()) {
            missing.push_back(name);
        } else if (std::find(chosen.begin(), chosen.end(), *listed) == chosen.end()) {
            chosen.push_back(*listed);
        }
    }
    return chosen;
}

ExitStatus overall_status(const std::vector<CounterResult>& results) {
    ExitStatus status = ExitStatus::success;
    for (const CounterResult& result : results) {
        status = std::max(status, result.status);
    }
    return status;
}

std::vector<CounterResult> update_several_counters(const std::vector<std::string>& counters,
                                                   const CheckedImage& image,
                                                   const ConsoleOptions& options,
                                                   ConsoleOutput& output, ConsoleView& view,
                                                   ProgressMode mode) {
    std::condition_variable wake;
    std::mutex wake_mutex;
    std::vector<std::unique_ptr<CounterWork>> works;
    std::vector<CounterWork*> ready;
    for (const std::string& resource : counters) {
        works.push_back(std::make_unique<CounterWork>(resource, output, mode, wake));
        if (works.back()->open(image)) {
            ready.push_back(works.back().get());
        }
    }
    auto results = [&works] {
        std::vector<CounterResult> all;
        for (const auto& work : works) {
            all.push_back(work->result());
        }
        return all;
    };
    if (ready.empty()) {
        return results();
    }
    if (!view.ask_yes_no(confirmation_question(ready, image))) {
        for (CounterWork* work : ready) {
            work->result().outcome.end = StepEnd::declined;
            work->finish(mode);
        }
        return results();
    }

    std::vector<std::string> tags;
    give_dump_tags(ready, tags);
    std::map<std::string, TransferGate> gates;
    const std::vector<std::uint64_t> record_bytes = bytes_after_records(image.reader->records());
    const bool board = mode == ProgressMode::terminal && output.can_draw_board();
    std::size_t label_width = 0;
    for (const CounterWork* work : ready) {
        label_width = std::max(label_width, work->resource().size());
    }
    for (std::size_t i = 0; i < ready.size(); ++i) {
        UpdateJobOptions job_options;
        job_options.skip_burning = options.skip_burning;
        job_options.dump_sending = options.dump_sending;
        job_options.dump_firmware = options.dump_firmware;
        job_options.dump_tag = tags[i];
        const std::string bus = shared_bus_of(ready[i]->resource());
        job_options.transfer_gate = bus.empty() ? nullptr : &gates[bus];
        ready[i]->start(image.reader, std::move(job_options), record_bytes, board, label_width);
    }

    // The main thread alone writes: it takes each job's events, draws the board and turns an
    // interrupt into a cancel of every job.
    bool interrupted = false;
    std::vector<std::string> shown_lines;
    for (;;) {
        if (!interrupted && view.take_event() != nullptr) {
            interrupted = true;
            output.message_line(console_text::warning_prefix, console_text::several_interrupted);
            for (CounterWork* work : ready) {
                work->cancel();
            }
        }
        bool all_finished = true;
        std::vector<std::string> lines;
        for (CounterWork* work : ready) {
            all_finished = all_finished && work->finished();
            if (work->finished()) {
                work->finish(mode);
            }
            work->pump();
            lines.push_back(work->board_line());
        }
        if (board && lines != shown_lines) {
            output.draw_board(lines);
            shown_lines = lines;
        }
        if (all_finished) {
            break;
        }
        std::unique_lock<std::mutex> lock(wake_mutex);
        wake.wait_for(lock, std::chrono::milliseconds(100));
    }
    std::vector<std::string> lines;
    for (CounterWork* work : ready) {
        work->finish(mode);
        lines.push_back(work->board_line());
    }
    if (board) {
        output.draw_board(lines);
        output.end_progress();
    }
    return results();
}

}  // namespace hx4x
