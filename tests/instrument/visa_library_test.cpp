#include "instrument/visa_library.hpp"
#include "platform/module_path.hpp"
#include "platform/shared_library.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "environment.hpp"
#include "host_system.hpp"

namespace hx4x {
namespace {

// Puts HX4X_VISA_LIBRARY back as it was.
class LibraryVariable {
  public:
    LibraryVariable() {
        const char* value = std::getenv(VisaLibrary::library_variable);
        had_ = value != nullptr;
        if (had_) {
            saved_ = value;
        }
    }
    ~LibraryVariable() {
        if (had_) {
            testing_support::set_environment(VisaLibrary::library_variable, saved_);
        } else {
            testing_support::unset_environment(VisaLibrary::library_variable);
        }
        VisaLibrary::instance().unload();
    }
    void set(const std::string& value) {
        testing_support::set_environment(VisaLibrary::library_variable, value);
    }

  private:
    bool had_ = false;
    std::string saved_;
};

TEST(VisaLibrary, MissingLibraryIsNeitherBoundNorAvailable) {
    LibraryVariable variable;
    variable.set(std::string(HX4X_TEST_DATA_DIR) + "/instrument/no-such-visa-library.so");
    // The loader's reason names the library on every system.
    VisaLibrary& library = VisaLibrary::instance();
    std::string error;
    EXPECT_FALSE(library.load(&error));
    EXPECT_FALSE(library.is_bound());
    EXPECT_FALSE(library.is_available());
    EXPECT_EQ(library.default_rm(), 0u);
    EXPECT_EQ(library.entry_points().viOpen, nullptr);
    EXPECT_EQ(error.rfind("VISA library not loaded: ", 0), 0u) << error;
    EXPECT_NE(error.find("no-such-visa-library.so"), std::string::npos) << error;
    EXPECT_EQ(error.find_first_of("\r\n"), std::string::npos) << "one line: " << error;
}

TEST(VisaLibrary, AnEmptyVariableCountsAsUnset) {
    LibraryVariable variable;
    variable.set("");
    std::string error;
    VisaLibrary::instance().load(&error);
    // The usual names are searched, not an empty one (which would name the program itself).
    EXPECT_NE(error.find(platform::visa_library_names().front()), std::string::npos) << error;
}

TEST(VisaLibrary, OwnUsbLibraryComesAfterEveryVendorLibrary) {
#if defined(_WIN32) || defined(__APPLE__)
    GTEST_SKIP() << "the own USB library is a Linux fall-back";
#else
    const std::vector<std::string> names = platform::visa_library_names();
    const std::string program = platform::module_path();
    ASSERT_GE(names.size(), 3u);
    ASSERT_FALSE(program.empty());
    // Beside the program first (an unpacked copy), then the install's library folder, found
    // from the program's folder (/usr/bin/../lib/hx4x-loader for the package).
    const std::string folder = program.substr(0, program.rfind('/') + 1);
    EXPECT_EQ(names[names.size() - 2], folder + platform::own_visa_library);
    EXPECT_EQ(names.back(), folder + "../lib/hx4x-loader/libvisa-usbtmc.so");
    EXPECT_EQ(names[names.size() - 3], "libvisa.so.0") << "the last vendor library";
#endif
}

TEST(VisaLibrary, ALibraryWithoutTheEntryPointsIsNotBound) {
    LibraryVariable variable;
    // Any shared library of the system that exports no VISA name.
    const std::string other = testing_support::host_is_windows ? "kernel32.dll" : "libm.so.6";
    variable.set(other);
    VisaLibrary& library = VisaLibrary::instance();
    std::string error;
    EXPECT_FALSE(library.load(&error));
    EXPECT_FALSE(library.is_bound());
    EXPECT_FALSE(library.is_available());
    EXPECT_EQ(error, "VISA library " + other + " lacks viOpenDefaultRM");
}

TEST(VisaLibrary, UnloadTwiceIsHarmless) {
    VisaLibrary& library = VisaLibrary::instance();
    library.unload();
    library.unload();
    EXPECT_FALSE(library.is_available());
}

}  // namespace
}  // namespace hx4x
