#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include <wx/translation.h>
#include <wx/utils.h>

#include "model/Translations.h"

namespace {

const char PARSE_FAILURE_EN[] = "Failed to parse the formula (line %d, column %d): %s!";
const char PARSE_FAILURE_JA[] = "数式のパースに失敗しました (%d 行, %d 列): %s!";

// Restores the two variables the test sets, and the translations.
class TranslationsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char* name : {"LANGUAGE", "LC_ALL"}) {
            wxString value;
            const bool had = wxGetEnv(name, &value);
            saved.emplace_back(name, value, had);
        }
    }
    void TearDown() override
    {
        wxTranslations::Set(nullptr);
        for (const auto& [name, value, had] : saved)
            had ? wxSetEnv(name, value) : wxUnsetEnv(name);
    }

    std::vector<std::tuple<wxString, wxString, bool>> saved;
};

TEST_F(TranslationsTest, LanguageComesFromTheEnvironment)
{
    // Without a language at all ("C"), or without a catalog for it: English.
    const std::pair<const char*, const char*> rows[] = {
        {"en_GB", PARSE_FAILURE_EN}, {"en_US", PARSE_FAILURE_EN}, {"ja_JP", PARSE_FAILURE_JA},
        {"C", PARSE_FAILURE_EN},     {"xx_YY", PARSE_FAILURE_EN},
    };
    for (const auto& [language, expected] : rows) {
        SCOPED_TRACE(language);
        wxSetEnv("LANGUAGE", language);
        wxSetEnv("LC_ALL", wxString(language) + (strcmp(language, "C") ? ".UTF-8" : ""));
        InstallTranslationsFrom(ARDENTINE_BINARY_DIR "/locale", wxEmptyString);
        const wxString got = wxGetTranslation(PARSE_FAILURE_EN, "ardentine");
        EXPECT_EQ(wxString::FromUTF8(expected), got);
        // The format still takes the same arguments.
        EXPECT_EQ(wxString::Format(wxString::FromUTF8(expected), 3, 14, "x"),
                  wxString::Format(got, 3, 14, "x"));
    }
}

} // namespace
