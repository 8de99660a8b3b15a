#pragma once

#include <yaml-cpp/yaml.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tmt::platform::installations {

// The whole record, or nothing when it is no YAML at all.
std::optional<YAML::Node> ParseYaml(const std::string& text);

// The text of `key` in a mapping; nothing for any other shape.
std::optional<std::string> ScalarAt(const YAML::Node& map, const char* key);
// The mapping under `key`; an undefined node for any other shape.
YAML::Node MapAt(const YAML::Node& map, const char* key);
// The entries of the mapping under `key` whose keys and values are texts, in file order; a value
// left empty ("DLL: ") counts as empty text.
std::vector<std::pair<std::string, std::string>> TextsAt(const YAML::Node& map, const char* key);

} // namespace tmt::platform::installations
