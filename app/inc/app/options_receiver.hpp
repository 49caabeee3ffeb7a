#pragma once

#include <string>

namespace hx4x {

// Whatever takes the option results of the command line: the main window, a console front
// end, a test. The setters are called once each, in the order they are declared here.
class OptionsReceiver {
  public:
    virtual ~OptionsReceiver() = default;

    virtual void set_settings_file(const std::string& path) = 0;
    virtual void set_firmware_file(const std::string& path) = 0;
    virtual void set_mask(const std::string& mask) = 0;
    virtual void set_selected_address(const std::string& address) = 0;
    virtual void set_start(bool start) = 0;
    virtual void set_skip_readme(bool skip) = 0;
    virtual void set_skip_burning(bool skip) = 0;
    virtual void set_dump_sending(bool dump) = 0;
    virtual void set_dump_firmware(bool dump) = 0;
};

}  // namespace hx4x
