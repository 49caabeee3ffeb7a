#include "ui/version_check.hpp"

#include <gtest/gtest.h>

namespace hx4x {
namespace {

CounterIdentity running(const std::string& version) {
    CounterIdentity identity;
    identity.firmware_version = version;
    return identity;
}

TEST(VersionCheck, ACounterThatCameBackUnchangedStillRunsItsPreviousFirmware) {
    struct Case {
        const char* name;
        const char* before;
        const char* after;
        bool file_version_known;
        const char* file_version;
        bool previous;
    };
    const Case cases[] = {
        {"UnchangedWhileTheFileIsNewer", "V1.10", "V1.10", true, "1.20", true},
        {"UnchangedWithItsBuildDate", "V1.10 30 Jun 2020 07:14", "V1.10 30 Jun 2020 07:14", true,
         "1.20", true},
        {"Changed", "V1.10", "V1.20", true, "1.20", false},
        {"ReloadOfTheSameVersion", "V1.10", "V1.10", true, "1.10", false},
        {"SameVersionWrittenOtherwise", "V1.10", "V1.10", true, "V1.1", false},
        {"FileWithoutAVersion", "V1.10", "V1.10", false, "", false},
        {"TextVersionsThatDiffer", "beta", "beta", true, "gamma", true},
        {"TextVersionsThatAgree", "beta", "beta", true, "beta", false},
        // A rebuilt 1.10 with another date: the counter did change.
        {"SameNumberNewDate", "V1.10 01 Jan 2020", "V1.10 02 Feb 2021", true, "1.20", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FirmwareVersion file{c.file_version_known, c.file_version};
        EXPECT_EQ(still_runs_previous_firmware(running(c.before), running(c.after), file),
                  c.previous);
    }
}

}  // namespace
}  // namespace hx4x
