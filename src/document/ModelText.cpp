#include "ModelText.h"

#include <QStringDecoder>
#include <array>

namespace {

// The characters Windows-1252 puts at 0x80..0x9F. The five unassigned positions keep the C1
// control of the same number, so that every byte still shows as some character.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString FromWindows1252(std::string_view bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0)
            text.append(QChar(kWindows1252High[byte - 0x80]));
        else
            text.append(QChar(static_cast<char16_t>(byte)));
    }
    return text;
}

}  // namespace

QString TextFromBytes(std::string_view bytes) {
    // A byte order mark is text too: dropping it would change the bytes on the next store.
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                       QStringConverter::Flag::ConvertInitialBom);
    QString text = decoder(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (decoder.hasError()) return FromWindows1252(bytes);
    return text;
}

std::string BytesFromText(const QString& text) {
    return text.toStdString();
}

bool AssignEdited(std::string& field, const QString& text) {
    if (TextFromBytes(field) == text) return false;
    field = BytesFromText(text);
    return true;
}
