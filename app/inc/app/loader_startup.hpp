#pragma once

#include <string>

#include "AuxLib/operator_message.hpp"
#include "app/options_receiver.hpp"
#include "ui/brand_pictures.hpp"
#include "ui/rich_text_document.hpp"

namespace hx4x {

// What the window shows that comes from the program file.
struct LoaderIdentity {
    std::string program_name;
    RichTextDocument readme;
    BrandPictures pictures;
};

// What a window toolkit gives the start-up: its dialog and the means to find a running copy.
class LoaderFrontEnd {
  public:
    virtual ~LoaderFrontEnd() = default;
    // Brings the running copy's window to the front, with any box it shows above it.
    virtual void raise_running_copy(const std::string& program_name) = 0;
    // Builds the window; it receives the program options.
    virtual OptionsReceiver& create_window(LoaderIdentity identity) = 0;
    // Shows the window and runs it modally until it closes, answering raise requests of
    // later copies meanwhile.
    virtual void run_window() = 0;
    virtual void destroy_window() = 0;
};

// The window program from start to end, in this order: the program name from its own
// version record and the message title; one copy at a time (a second copy raises the first
// one's window and ends); the window built with its readme and brand pictures; the command
// line; the log file; the window until it closes. The presenter shows every message box
// from the first on. Returns the exit status.
int run_loader_startup(LoaderFrontEnd& front_end, MessagePresenter& presenter,
                       const std::string& command_line);

// The name every copy of every brand claims, so that any two copies exclude each other.
inline constexpr char instance_token_name[] = "VALDMORE_HX4x_RV226x_FIRMWARE_LOADER_IS_RUNNING";

}  // namespace hx4x
