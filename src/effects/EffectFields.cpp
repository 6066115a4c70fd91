#include "effects/EffectFields.h"

FieldRange RangeOf(const EffectField& field, int pictureWidth, int pictureHeight) {
    switch (field.upper) {
        case UpperLimit::PictureHeight:
            return {field.min, pictureHeight};
        case UpperLimit::HalfPictureWidth:
            return {field.min, pictureWidth / 2};
        case UpperLimit::BelowPictureWidth:
            return {field.min, pictureWidth - 1};
        case UpperLimit::Fixed:
            break;
    }
    return {field.min, field.max};
}

std::string DescribeRange(const EffectField& field) {
    const std::string min = std::to_string(field.min);
    switch (field.upper) {
        case UpperLimit::PictureHeight:
            return min + " to the picture height";
        case UpperLimit::HalfPictureWidth:
            return min + " to half the picture width";
        case UpperLimit::BelowPictureWidth:
            return min + " to the picture width less 1";
        case UpperLimit::Fixed:
            break;
    }
    if (field.min == kNoLowerLimit && field.max == kNoUpperLimit) return "any";
    if (field.max == kNoUpperLimit) return "from " + min;
    if (field.min == kNoLowerLimit) return "up to " + std::to_string(field.max);
    return min + "-" + std::to_string(field.max);
}

const EffectField* FindField(FieldList fields, std::string_view name) {
    for (const EffectField& field : fields)
        if (name == field.name) return &field;
    return nullptr;
}
