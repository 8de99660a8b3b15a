#include "platform/linux/installations/Yaml.h"

namespace tmt::platform::installations {

std::optional<YAML::Node> ParseYaml(const std::string& text) {
    try {
        return YAML::Load(text);
    } catch (const YAML::Exception&) {
        return std::nullopt;
    }
}

std::optional<std::string> ScalarAt(const YAML::Node& map, const char* key) {
    if (!map.IsMap()) {
        return std::nullopt;
    }
    const YAML::Node value = map[key];
    if (!value.IsScalar()) {
        return std::nullopt;
    }
    return value.Scalar();
}

YAML::Node MapAt(const YAML::Node& map, const char* key) {
    if (!map.IsMap()) {
        return YAML::Node(YAML::NodeType::Undefined);
    }
    const YAML::Node value = map[key];
    return value.IsMap() ? value : YAML::Node(YAML::NodeType::Undefined);
}

} // namespace tmt::platform::installations
