#include "app/Translations.h"

#include <wx/translation.h>

namespace Tavoro::Translations {

void setUp(const wxString& localeDir, const wxString& language) {
    auto* translations = new wxTranslations;
    wxTranslations::Set(translations);  // deletes the previous set-up
    wxFileTranslationsLoader::AddCatalogLookupPathPrefix(localeDir);
    if (!language.empty())
        translations->SetLanguage(language);
    translations->AddStdCatalog();
    translations->AddCatalog("tavoro");
}

}  // namespace Tavoro::Translations
