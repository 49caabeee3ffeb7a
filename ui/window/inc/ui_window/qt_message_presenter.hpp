#pragma once

#include "AuxLib/operator_message.hpp"

namespace hx4x {

// Shows every OperatorMessage as a modal box of the window system, titled as the request
// says, owned by the window that asked when one did.
class QtMessagePresenter : public MessagePresenter {
  public:
    int present(const MessageBoxRequest& request) override;
};

}  // namespace hx4x
