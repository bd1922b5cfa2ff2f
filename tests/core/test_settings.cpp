#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "core/settings.h"
#include "tests/fakes.h"

namespace tarnwick {
namespace {

using testing::MemoryProfileStore;

TEST(SettingsGetProfile, FoundOnlyWhenNotEmpty) {
    MemoryProfileStore store;
    Settings settings(store);
    std::string value = "stale";
    EXPECT_FALSE(settings.Get(keys::kDest, value));  // no file
    EXPECT_EQ(value, "");

    store.text = "[CAPTION]\nPRIV-3=\n[FILES]\nDEST=/t\n";
    value = "stale";
    EXPECT_FALSE(settings.GetProfile(keys::kCaptionSection, "PRIV-3", value));
    EXPECT_EQ(value, "");
    EXPECT_TRUE(settings.Get(keys::kDest, value));
    EXPECT_EQ(value, "/t");

    // Paths are read whole, captions cut to 255 bytes.
    const std::string longValue(300, 'd');
    store.text = "[FILES]\nDEST=" + longValue + "\nSOURCE=" + longValue + "\n[CAPTION]\nPRIV-3=" + longValue;
    for (const SettingKey& key : {keys::kDest, keys::kSource}) {
        EXPECT_TRUE(settings.Get(key, value));
        EXPECT_EQ(value, longValue) << key.key;
    }
    EXPECT_TRUE(settings.GetProfile(keys::kCaptionSection, "PRIV-3", value));
    EXPECT_EQ(value, longValue.substr(0, 255));
}

TEST(SettingsReadBatch, ReadsShareOneLoadUntilAWrite) {
    MemoryProfileStore store;
    Settings settings(store);
    store.text = "[FILES]\nDEST=/a\n";
    std::string value;
    {
        const Settings::ReadBatch batch(settings);
        store.text = "[FILES]\nDEST=/edited meanwhile\n";
        EXPECT_TRUE(settings.Get(keys::kDest, value));
        EXPECT_EQ(value, "/a");
        EXPECT_FALSE(settings.Get(keys::kSource, value));
        EXPECT_EQ(store.loads, 1);
        EXPECT_TRUE(settings.Put(keys::kSource, "/s"));
        EXPECT_TRUE(settings.Get(keys::kDest, value));
        EXPECT_EQ(value, "/edited meanwhile") << "a write ends the batch";
    }
    store.text = "[FILES]\nDEST=/b\n";
    EXPECT_TRUE(settings.Get(keys::kDest, value));
    EXPECT_EQ(value, "/b");
}

TEST(SettingsPutProfiles, WritesEveryAcceptedValueInOneRewriteAndOnlyWhenChanged) {
    MemoryProfileStore store;
    Settings settings(store, "\r\n");
    EXPECT_TRUE(settings.Put(keys::kNoMsg, "OF"));
    EXPECT_EQ(store.text, "[FILES]\r\nNoMsg=OF\r\n");
    store.text = "; mine\n[files]\ndest = \"/old\"  \n";
    EXPECT_FALSE(
        settings.PutProfiles({{keys::kDest, "/new"}, {keys::kSource, "bad\nvalue"}, {keys::kMainTop, "15"}}))
        << "a refused value is reported";
    EXPECT_EQ(store.stores, 2);
    EXPECT_EQ(store.text, "; mine\n[files]\ndest = /new  \n[POSITION]\r\nMAINTOP=15\r\n");
    EXPECT_TRUE(settings.PutProfiles({{keys::kDest, "/new"}, {keys::kMainTop, "15"}}));
    EXPECT_EQ(store.stores, 2) << "values already stored leave the file untouched";
    store.failStores = true;
    EXPECT_FALSE(settings.Put(keys::kDest, "other"));
}

TEST(SettingsPosition, DefaultOnlyWhenNothingIsFound) {
    MemoryProfileStore store;
    Settings settings(store);
    EXPECT_EQ(settings.GetPosition(keys::kOptTop, 4321), 4321);
    store.text = "[POSITION]\nMAINTOP=\nMAINLEFT=left\n";
    EXPECT_EQ(settings.GetPosition(keys::kMainTop, 77), 77);
    EXPECT_EQ(settings.GetPosition(keys::kMainLeft, 77), 0);
    for (const std::int16_t position : {-32768, -15, 32767}) {
        EXPECT_TRUE(settings.PutPosition(keys::kViewLeft, position));
        EXPECT_EQ(settings.GetPosition(keys::kViewLeft, 1), position);
    }
}

TEST(ParsePosition, RoundsTheLeadingNumberHalvesToEvenAndClamps) {
    const std::vector<std::pair<const char*, std::int16_t>> cases = {
        {" \t+42", 42},     {"2.5", 2},           {"3.5", 4},       {"-2.5", -2},
        {"-3.5", -4},       {"2.50001", 3},       {".6", 1},        {"-1234.5px", -1234},
        {"1e3", 1},         {"abc", 0},           {"2.4999", 2},    {"- 5", 0},
        {"32767.5", 32767}, {"-32768.5", -32768}, {"40000", 32767}, {"99999999999999999999999999999", 32767}};
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(ParsePosition(text), expected) << '"' << text << '"';
    }
    for (const long long twips : {LLONG_MIN, -32769LL, 32768LL, LLONG_MAX}) {
        EXPECT_EQ(ClampPosition(twips), twips < 0 ? -32768 : 32767) << twips;
    }
}

}  // namespace
}  // namespace tarnwick
