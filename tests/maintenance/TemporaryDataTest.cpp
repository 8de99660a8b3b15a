#include "maintenance/TemporaryData.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The game's folder as the platform reports it, and a log of what was done and told, in order.
struct FakeGame {
    bool tempExists = true;
    bool tempEmptiesWholly = true;
    bool cacheExists = true;
    bool cacheDeletable = true;
    std::vector<std::string> log;

    tmt::ClearFunctions Functions() {
        return {
            [this](const std::string& folder) {
                return tempExists && folder == "C:\\Game\\Temp\\";
            },
            [this](const std::string& folder) { log.push_back("empty " + folder); },
            [this](const std::string&) { return tempEmptiesWholly; },
            [this](const std::string& file) {
                return cacheExists && file == "C:\\Game\\covers.cache";
            },
            [this](const std::string& file) {
                log.push_back("delete " + file);
                cacheExists = !cacheDeletable;
            },
        };
    }

    bool Clear(bool temp, bool cache) {
        return tmt::ClearTemporaryData(
            "C:\\Game", {temp, cache}, Functions(),
            [this](const std::string& message) { log.push_back("tell " + message); });
    }
};

using Log = std::vector<std::string>;

TEST(TemporaryDataTest, NothingChosenTouchesNothingAndKeepsTheWindow) {
    FakeGame game;
    EXPECT_FALSE(game.Clear(false, false));
    EXPECT_EQ(game.log, Log{"tell Nothing checked. Not clearing."});
}

TEST(TemporaryDataTest, BothChosenTellTempBeforeTheCacheIsTouched) {
    FakeGame game;
    EXPECT_TRUE(game.Clear(true, true));
    EXPECT_EQ(game.log, (Log{"empty C:\\Game\\Temp\\", "tell Temp directory cleanup complete!",
                             "delete C:\\Game\\covers.cache", "tell Covers cache deleted!"}));
}

TEST(TemporaryDataTest, EachTaskTellsWhatThePlatformLeft) {
    enum Fact { TempMissing, TempKeepsEntries, CacheMissing, CacheStays, AsExpected };
    const struct {
        const char* what;
        bool temp;
        bool cache;
        std::vector<Fact> facts;
        Log log;
    } cases[] = {
        {"Temp emptied",
         true,
         false,
         {AsExpected},
         {"empty C:\\Game\\Temp\\", "tell Temp directory cleanup complete!"}},
        {"Temp left with entries",
         true,
         false,
         {TempKeepsEntries},
         {"empty C:\\Game\\Temp\\",
          "tell Temp directory cleanup incomplete: some files could not be deleted."}},
        {"Temp missing", true, false, {TempMissing}, {"tell Temp directory not found."}},
        {"cache deleted",
         false,
         true,
         {AsExpected},
         {"delete C:\\Game\\covers.cache", "tell Covers cache deleted!"}},
        {"cache kept",
         false,
         true,
         {CacheStays},
         {"delete C:\\Game\\covers.cache", "tell Covers cache could not be deleted!"}},
        {"cache missing", false, true, {CacheMissing}, {"tell Covers cache not found."}},
        {"both missing",
         true,
         true,
         {TempMissing, CacheMissing},
         {"tell Temp directory not found.", "tell Covers cache not found."}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeGame game;
        for (const Fact fact : c.facts) {
            game.tempExists &= fact != TempMissing;
            game.tempEmptiesWholly &= fact != TempKeepsEntries;
            game.cacheExists &= fact != CacheMissing;
            game.cacheDeletable &= fact != CacheStays;
        }
        EXPECT_TRUE(game.Clear(c.temp, c.cache)) << "a chosen task closes the window";
        EXPECT_EQ(game.log, c.log);
    }
}

} // namespace
