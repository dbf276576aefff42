#include <wx/regex.h>
#include <wx/translation.h>

#include "app/panes/ManualPanel.h"
#include "model/Translations.h"
#include "support/GuiTestSupport.h"

namespace {

const char PAGES_DIR[] = ARDENTINE_BINARY_DIR "/manual";

wxString ReadPage(const wxString& name)
{
    return wxString::FromUTF8(ReadFile(wxString(PAGES_DIR) + "/" + name));
}

// The ids of the page's headings, in order: its sections.
std::vector<wxString> SectionIds(wxString text)
{
    std::vector<wxString> ids;
    wxRegEx heading("<h[23] id=\"([^\"]+)\"");
    while (heading.Matches(text)) {
        ids.push_back(heading.GetMatch(text, 1));
        size_t start = 0, length = 0;
        heading.GetMatch(&start, &length, 0);
        text = text.Mid(start + length);
    }
    return ids;
}

} // namespace

// A page address has three slashes and escapes; a page in the user's language is taken
// when there is one, else the English page.
TEST(ManualPanel, PageAddressesAndNames)
{
    const std::pair<wxString, const char*> rows[] = {
        {PageURL("/a b", "manual", "manual.htm"), "file:///a%20b/manual/manual.htm"},
        {PageURL("/x/./y/..", "manual", "manual.htm"), "file:///x/manual/manual.htm"},
        {LocalisedPageName(PAGES_DIR, "manual.htm", "ja_JP"), "manual.ja.htm"},
        {LocalisedPageName(PAGES_DIR, "manual.htm", "de_DE"), "manual.htm"},
    };
    for (const auto& [got, expected] : rows)
        EXPECT_EQ(expected, got);
}

// The Japanese manual is the English one in other words: the same sections in the same
// order, each reachable from the same table of contents.
TEST(ManualPanel, PagesAreBesideTheProgramWithTheSameSectionsInBothLanguages)
{
    // The build puts the pages beside the program, where the panes look for them.
    EXPECT_NE(wxNOT_FOUND, ReadPage("license.htm").Find("<title>"));
    const std::vector<wxString> english = SectionIds(ReadPage("manual.htm"));
    EXPECT_GT(english.size(), 10u);
    EXPECT_EQ(english, SectionIds(ReadPage("manual.ja.htm")));
    EXPECT_NE(wxNOT_FOUND, ReadPage("manual.ja.htm").Find("<html lang=\"ja\">"));
}

// The manual pane follows the language of the menus: Japanese menus, Japanese manual.
TEST(ManualPanel, ManualFollowsTheLanguageOfTheCatalog)
{
    for (const char* language : {"ja", ""}) {
        SCOPED_TRACE(language);
        if (*language)
            InstallTranslationsFrom(ARDENTINE_BINARY_DIR "/locale", language);
        else
            wxTranslations::Set(nullptr);
        EXPECT_EQ(language, PageLanguage());
        const wxString url = LocalisedPageURL(ARDENTINE_BINARY_DIR, "manual", "manual.htm");
        EXPECT_TRUE(url.EndsWith(*language ? "/manual/manual.ja.htm" : "/manual/manual.htm"))
            << url;
        EXPECT_TRUE(LocalisedPageURL(ARDENTINE_BINARY_DIR, "manual", "license.htm")
                        .EndsWith("/manual/license.htm"));
    }
    wxTranslations::Set(nullptr);
}
