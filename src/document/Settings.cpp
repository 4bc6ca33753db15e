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

} // namespace lumeria
