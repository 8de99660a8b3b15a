#include "platform/linux/installations/Yaml.h"

namespace tmt::platform::installations {

std::optional<YAML::Node> ParseYaml(const std::string& text) {
    try {
        return YAML::Load(text);
    } catch (const YAML::Exception&) {
        return std::nullopt;
    }
}

// yaml-cpp hands out placeholder nodes for keys that are not there, and most questions to such a
// node throw; only IsDefined() may be asked first.
std::optional<std::string> ScalarAt(const YAML::Node& map, const char* key) {
    try {
        if (!map.IsDefined() || !map.IsMap()) {
            return std::nullopt;
        }
        const YAML::Node value = map[key];
        if (!value.IsDefined() || !value.IsScalar()) {
            return std::nullopt;
        }
        return value.Scalar();
    } catch (const YAML::Exception&) {
        return std::nullopt;
    }
}

YAML::Node MapAt(const YAML::Node& map, const char* key) {
    try {
        if (map.IsDefined() && map.IsMap()) {
            const YAML::Node value = map[key];
            if (value.IsDefined() && value.IsMap()) {
                return value;
            }
        }
    } catch (const YAML::Exception&) {
    }
    return YAML::Node(YAML::NodeType::Undefined);
}

std::vector<std::pair<std::string, std::string>> TextsAt(const YAML::Node& map, const char* key) {
    std::vector<std::pair<std::string, std::string>> texts;
    try {
        const YAML::Node entries = MapAt(map, key);
        if (!entries.IsDefined()) {
            return texts;
        }
        for (const auto& entry : entries) {
            if (!entry.first.IsScalar()) {
                continue;
            }
            if (entry.second.IsScalar()) {
                texts.emplace_back(entry.first.Scalar(), entry.second.Scalar());
            } else if (entry.second.IsNull()) {
                texts.emplace_back(entry.first.Scalar(), "");
            }
        }
    } catch (const YAML::Exception&) {
        texts.clear();
    }
    return texts;
}

} // namespace tmt::platform::installations
