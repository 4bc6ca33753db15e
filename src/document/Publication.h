#pragma once

#include "document/Document.h"
#include "document/Settings.h"

namespace lumeria {

// Everything RUNTIME.PUB defines: header settings, interface strings, pages.
struct Publication {
    PublicationSettings settings;
    LanguageElementArray strings;
    Document document;
};

} // namespace lumeria
