// Every test of this executable runs with XDG_DATA_HOME on an empty folder of its own, so
// that the sky files a developer keeps in ~/.local/share/Lumivane never change what a test
// sees. Tests that want user files put them there or set the variable themselves.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <string>

#include "scoped_environment.h"

namespace {

class EmptyDataHome : public ::testing::Environment {
 public:
  void SetUp() override {
    char pattern[] = "/tmp/lumivane-data-home-XXXXXX";
    if (const char* made = mkdtemp(pattern)) folder_ = made;
    environment_.emplace();
    environment_->Set("XDG_DATA_HOME", folder_);
  }
  void TearDown() override {
    environment_.reset();
    std::error_code ignored;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ignored);
  }

 private:
  std::string folder_;
  std::optional<ScopedEnvironment> environment_;
};

// Registered before main runs, as gtest_main offers no other hook.
[[maybe_unused]] ::testing::Environment* const kEmptyDataHome =
    ::testing::AddGlobalTestEnvironment(new EmptyDataHome);

}  // namespace
