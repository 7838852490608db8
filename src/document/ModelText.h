#pragma once

#include <QString>
#include <string>
#include <string_view>

// The model keeps every text as the bytes a project file holds. Projects written by this program
// hold UTF-8; projects made on Windows hold Windows-1252. Both are shown readably, and what the
// user types is stored as UTF-8.

// The bytes as UTF-8 when they are valid UTF-8, otherwise as Windows-1252.
QString TextFromBytes(std::string_view bytes);

// The UTF-8 bytes of typed text.
std::string BytesFromText(const QString& text);

// Stores text the user edited into a byte field, leaving the field alone when the text is what
// TextFromBytes showed for it, so that untouched Windows-1252 bytes survive. True when it changed.
bool AssignEdited(std::string& field, const QString& text);
