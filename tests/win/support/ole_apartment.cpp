// Every window test program runs in an OLE apartment, as the program does. Linked into each
// program by name (tests/CMakeLists.txt): nothing refers to it, so a library would drop it.
#include <gtest/gtest.h>

#include <optional>

#include "common/com_apartment_win.h"

namespace quillory::test {
namespace {
struct OleEnvironment : ::testing::Environment {
  void SetUp() override { ASSERT_TRUE(apartment.emplace().Ok()); }
  void TearDown() override { apartment.reset(); }
  std::optional<OleApartment> apartment;
};
::testing::Environment* const kOleEnvironment = ::testing::AddGlobalTestEnvironment(new OleEnvironment);
}  // namespace
}  // namespace quillory::test
