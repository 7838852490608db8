#pragma once

#include <QString>
#include <string>
#include <string_view>

// The project keeps every text as the bytes the file holds. Texts made on this platform are
// UTF-8; texts from older projects made on Windows are Windows-1252. These two functions are the
// only place the window converts between those bytes and what it shows.

// The bytes as UTF-8 when they are valid UTF-8, else as Windows-1252.
QString FromBytes(std::string_view bytes);

// What the user typed, as UTF-8.
std::string ToBytes(const QString& text);

// Stores text the user edited into a byte field, leaving the field alone when the text is what
// FromBytes showed for it, so that untouched Windows-1252 bytes survive. True when it changed.
bool AssignEdited(std::string& field, const QString& text);
