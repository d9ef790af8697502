// What every native test starts from: GoogleTest, GoogleMock, the standard headers they share,
// and the fixtures of tests/data.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

// A file of tests/data, whole; empty when it cannot be read.
inline std::string Fixture(const std::string& name) {
  std::ifstream file(std::string(QUILLORY_TEST_DATA) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}
