#include "document/Settings.h"

namespace lumeria {

const std::array<std::string_view, kLanguageElementCount> kLanguageElementNames = {
    "L_OK",
    "L_CANCEL",
    "L_YES",
    "L_NO",
    "L_CLOSE",
    "L_ERRORTITLE",
    "L_FINDTITLE",
    "L_FINDPROMPT",
    "L_FINDFIRST",
    "L_FINDNEXT",
    "L_FINDERROR",
    "L_PWORDTITLE",
    "L_PWORDMSG",
    "L_PWORDPROMPT",
    "L_PWORDERROR",
    "L_MEDIAERROR",
    "L_INTERNETERROR",
    "L_PAGEPROMPT",
    "L_ABORTFUNCTION",
    "L_EXTRACTERROR",
    "L_INSTDIRPROMPT",
    "L_INSTFOLDERPROMPT",
    "L_INSTRUNPROMPT",
    "L_INSTDISKPROMPT",
    "L_INSTDISKERROR",
    "L_INSTGENERROR",
    "L_INSTEXITPROMPT",
    "L_INSTWINTITLE",
    "L_INSTPROGTITLE",
    "L_INSTSUBTITLE",
};

QString LanguageElementArray::caption(LanguageElement e) const
{
    const QString& set = (*this)[e];
    if (!set.isEmpty())
        return set;
    switch (e) {
    case LanguageElement::L_OK: return QStringLiteral("OK");
    case LanguageElement::L_CANCEL: return QStringLiteral("Annuler");
    case LanguageElement::L_YES: return QStringLiteral("Oui");
    case LanguageElement::L_NO: return QStringLiteral("Non");
    case LanguageElement::L_CLOSE: return QStringLiteral("Fermer");
    case LanguageElement::L_ERRORTITLE: return QStringLiteral("Erreur");
    case LanguageElement::L_FINDTITLE: return QStringLiteral("Rechercher");
    case LanguageElement::L_FINDFIRST: return QStringLiteral("Premier");
    case LanguageElement::L_FINDNEXT: return QStringLiteral("Suivant");
    case LanguageElement::L_PWORDTITLE: return QStringLiteral("Mot de passe");
    default: return set;
    }
}

} // namespace lumeria
