#pragma once

#include <vector>

#include "AuxLib/operator_message.hpp"

namespace hx4x::testing_support {

// Records every box instead of showing it and answers with a scripted value; installed for
// its own lifetime.
class RecordingPresenter : public MessagePresenter {
  public:
    RecordingPresenter() : previous_(set_message_presenter(this)) {}
    ~RecordingPresenter() override { set_message_presenter(previous_); }
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    int present(const MessageBoxRequest& request) override {
        boxes.push_back(request);
        return request.yes_no ? answer : platform::answer_ok;
    }

    std::vector<MessageBoxRequest> boxes;
    int answer = platform::answer_yes;

  private:
    MessagePresenter* previous_;
};

}  // namespace hx4x::testing_support
