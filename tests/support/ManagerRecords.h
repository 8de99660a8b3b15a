#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace tmt::test {

// Copies the record `fixture` of tests/managers/ (for example "lutris/wine.yml") to `destination`,
// each ${NAME} in it replaced by marks.at("NAME"); a mark the test does not give is an error.
// Returns the destination.
std::filesystem::path InstallRecord(const std::string& fixture,
                                    const std::filesystem::path& destination,
                                    const std::map<std::string, std::string>& marks = {});

} // namespace tmt::test
