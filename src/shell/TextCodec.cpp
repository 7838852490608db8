#include "TextCodec.h"

#include "ModelText.h"

// The property sheets read and write the same bytes; one conversion serves both.
QString FromBytes(std::string_view bytes) {
    return TextFromBytes(bytes);
}

std::string ToBytes(const QString& text) {
    return BytesFromText(text);
}

bool AssignEdited(std::string& field, const QString& text) {
    if (FromBytes(field) == text) return false;
    field = ToBytes(text);
    return true;
}
