#pragma once

#include <string>

#include "instrument/visa_types.hpp"

namespace hx4x {

// The fifteen entry points, bound by name; null until bound.
struct VisaEntryPoints {
    visa::viOpenDefaultRM_t viOpenDefaultRM = nullptr;
    visa::viOpen_t viOpen = nullptr;
    visa::viClose_t viClose = nullptr;
    visa::viFindRsrc_t viFindRsrc = nullptr;
    visa::viFindNext_t viFindNext = nullptr;
    visa::viGpibControlREN_t viGpibControlREN = nullptr;
    visa::viGetAttribute_t viGetAttribute = nullptr;
    visa::viSetAttribute_t viSetAttribute = nullptr;
    visa::viWrite_t viWrite = nullptr;
    visa::viRead_t viRead = nullptr;
    visa::viEnableEvent_t viEnableEvent = nullptr;
    visa::viWaitOnEvent_t viWaitOnEvent = nullptr;
    visa::viReadSTB_t viReadSTB = nullptr;
    visa::viStatusDesc_t viStatusDesc = nullptr;
    visa::viFlush_t viFlush = nullptr;
};

// The run-time binding to the VISA library, one per process. It loads at first use
// (which happens during static initialisation) and unloads at process exit.
//
// Three outcomes: not bound (no library, or an entry point missing), bound but not
// available (the default resource manager did not open), available.
class VisaLibrary {
  public:
    // The environment variable that names the one library to try instead of the
    // platform's search list.
    static constexpr const char* library_variable = "HX4X_VISA_LIBRARY";

    static VisaLibrary& instance();

    // Unloads, then loads the library named by HX4X_VISA_LIBRARY when that is set
    // (nothing else is tried), otherwise the first of the platform's names that loads.
    // Returns is_available(); error, when given, receives why not.
    bool load(std::string* error = nullptr);
    // Unloads, then loads this one library (a path or a file name).
    bool load(const std::string& library, std::string* error = nullptr);

    // Closes the default resource manager and frees the module. The bound flag stays.
    void unload();

    bool is_bound() const { return bound_; }
    bool is_available() const { return module_ != nullptr && default_rm_ != 0; }

    visa::ViSession default_rm() const { return default_rm_; }
    // Callers check is_available() or the entry point itself before calling.
    const VisaEntryPoints& entry_points() const { return entry_points_; }

    VisaLibrary(const VisaLibrary&) = delete;
    VisaLibrary& operator=(const VisaLibrary&) = delete;

  private:
    VisaLibrary();
    ~VisaLibrary();

    bool bind(void* module, const std::string& library, std::string* error);

    bool bound_ = false;
    void* module_ = nullptr;
    visa::ViSession default_rm_ = 0;
    VisaEntryPoints entry_points_;
};

}  // namespace hx4x
