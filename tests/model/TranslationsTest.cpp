#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include <wx/translation.h>
#include <wx/utils.h>

#include "model/Translations.h"

namespace {

const char PARSE_FAILURE_JA[] = "数式のパースに失敗しました (%d 行, %d 列)!";
const char PARSE_FAILURE_EN[] = "Failed to parse the formula (line %d, column %d)!";

class TranslationsTest : public ::testing::Test
{
protected:
    void TearDown() override
    {
        wxTranslations::Set(nullptr);
        for (const auto& [name, value] : saved) {
            if (value.second)
                wxSetEnv(name, value.first);
            else
                wxUnsetEnv(name);
        }
    }
    void SetEnv(const wxString& name, const wxString& value)
    {
        wxString old;
        const bool had = wxGetEnv(name, &old);
        saved.emplace(name, std::make_pair(old, had));
        wxSetEnv(name, value);
    }
    static wxString Translate(const char* utf8)
    {
        return wxGetTranslation(wxString::FromUTF8(utf8), "ardentine");
    }

    std::map<wxString, std::pair<wxString, bool>> saved;
};

TEST_F(TranslationsTest, LanguageComesFromTheEnvironment)
{
    const struct
    {
        const char* language;
        const char* expected;
    } rows[] = {
        {"en_GB", PARSE_FAILURE_EN}, {"en_US", PARSE_FAILURE_EN},
        {"ja_JP", PARSE_FAILURE_JA}, {"C", PARSE_FAILURE_EN}, // no language at all: English
        {"xx_YY", PARSE_FAILURE_EN}, // a language without a catalog: English
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.language);
        SetEnv("LANGUAGE", row.language);
        SetEnv("LC_ALL", wxString(row.language) + (strcmp(row.language, "C") ? ".UTF-8" : ""));
        InstallTranslationsFrom(ARDENTINE_BINARY_DIR "/locale", wxEmptyString);
        EXPECT_EQ(wxString::FromUTF8(row.expected), Translate(PARSE_FAILURE_JA));
        // The format still takes the same arguments.
        EXPECT_EQ(wxString::Format(wxString::FromUTF8(row.expected), 3, 14),
                  wxString::Format(Translate(PARSE_FAILURE_JA), 3, 14));
    }
}

} // namespace
