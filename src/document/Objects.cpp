#include "document/Objects.h"

namespace lumeria {

Object_Rec makeObject(uint8_t kind)
{
    Object_Rec o;
    o.Kind = kind;
    switch (static_cast<ObjectKind>(kind)) {
    case ObjectKind::Article: o.Data = Article_Rec{}; break;
    case ObjectKind::Button: o.Data = Button_Rec{}; break;
    case ObjectKind::Picture:
        o.Data = Picture_Rec{};
        o.FillPattern = 1;
        break;
    case ObjectKind::Text: o.Data = Text_Rec{}; break;
    default: break;
    }
    return o;
}

} // namespace lumeria
